#include "app/LanguageTexts.h"

#include "app/AppPaths.h"
#include "app/InputFile.h"
#include "app/NumberText.h"

#include <tinyxml2.h>

#include <array>
#include <utility>

namespace quillory {
namespace {

// A converted text holds at most 1023 characters.
constexpr int kMaxTextChars = 1023;

QString Text(const tinyxml2::XMLElement* element, const char* attribute) {
    const char* value = element->Attribute(attribute);
    return value ? QString::fromUtf8(value).left(kMaxTextChars) : QString();
}

bool IntAttribute(const tinyxml2::XMLElement* element, const char* attribute, int& out) {
    const char* value = element->Attribute(attribute);
    if (!value)
        return false;
    out = ParseLeadingInt(QByteArrayView(value));
    return true;
}

bool LoadDocument(const QString& path, tinyxml2::XMLDocument& doc) {
    const InputFileData file = ReadInputFile(path, InputFileKind::LanguageFile);
    if (!file.Ok())
        return false;
    return doc.Parse(file.bytes.constData(), std::size_t(file.bytes.size())) == tinyxml2::XML_SUCCESS;
}

// Each walk starts at the first child of the given name and goes on over every later sibling,
// whatever its name.
template <typename Visit>
void WalkFrom(const tinyxml2::XMLElement* screen, const char* first, Visit visit) {
    for (const tinyxml2::XMLElement* e = screen->FirstChildElement(first); e; e = e->NextSiblingElement())
        visit(e);
}

} // namespace

QString LanguageFileName(int languageIndex) {
    switch (languageIndex) {
    case 0:
        return QStringLiteral("SimpleChinese.xml");
    case 1:
        return QStringLiteral("TraditionalChinese.xml");
    default:
        return QStringLiteral("English.xml");
    }
}

QString LanguageFilePath(int languageIndex) {
    return ResourcePath(QStringLiteral("language/") + LanguageFileName(languageIndex));
}

void ApplyScreenTextsFromFile(const QString& path, const char* element, IScreenTexts& screen) {
    tinyxml2::XMLDocument doc;
    if (!LoadDocument(path, doc))
        return;
    const tinyxml2::XMLElement* root = doc.FirstChildElement(element);
    if (!root)
        return;
    if (root->Attribute("title"))
        screen.SetCaption(Text(root, "title"));

    const auto setText = [&](const tinyxml2::XMLElement* e) {
        int id = 0;
        if (IntAttribute(e, "ID", id))
            screen.SetControlText(id, Text(e, "text"));
    };
    WalkFrom(root, "Button", setText);
    WalkFrom(root, "Static", setText);

    WalkFrom(root, "Commbox", [&](const tinyxml2::XMLElement* e) {
        int id = 0;
        int select = 0;
        if (!IntAttribute(e, "ID", id) || !IntAttribute(e, "select", select))
            return;
        QStringList items;
        for (const tinyxml2::XMLElement* item = e->FirstChildElement(); item;
             item = item->NextSiblingElement())
            items << Text(item, "text");
        screen.SetListItems(id, items, select);
    });

    WalkFrom(root, "TabCtrl", [&](const tinyxml2::XMLElement* e) {
        int id = 0;
        if (!IntAttribute(e, "ID", id))
            return;
        int tab = 0;
        for (const tinyxml2::XMLElement* item = e->FirstChildElement(); item;
             item = item->NextSiblingElement())
            screen.SetTabCaption(id, tab++, Text(item, "text"));
    });
}

void ApplyScreenTexts(const char* element, int languageIndex, IScreenTexts& screen) {
    ApplyScreenTextsFromFile(LanguageFilePath(languageIndex), element, screen);
}

QString GetMessageTextFromFile(const QString& path, const char* key) {
    tinyxml2::XMLDocument doc;
    if (!key || !LoadDocument(path, doc))
        return {};
    const tinyxml2::XMLElement* messages = doc.FirstChildElement("Message");
    const tinyxml2::XMLElement* entry = messages ? messages->FirstChildElement(key) : nullptr;
    return entry ? Text(entry, "text") : QString();
}

QString GetMessageText(const char* key, int languageIndex) {
    return GetMessageTextFromFile(LanguageFilePath(languageIndex), key);
}

QString FormatMessageText(const char* key, int languageIndex, const QStringList& args) {
    QString text = GetMessageText(key, languageIndex);
    if (text.isEmpty())
        return QString::fromLatin1(key) +
               (args.isEmpty() ? QString() : QStringLiteral(": ") + args.join(u", "));
    // One pass over the text, so an argument that itself holds "%2" is never filled in again.
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1].isDigit() && text[i + 1] != u'0') {
            const int n = text[i + 1].digitValue();
            if (n <= args.size()) {
                out += args[n - 1];
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

const char* CommErrorMessageKey(int code) {
    static constexpr std::array<std::pair<int, const char*>, 7> table{{
        {1, "OpenPortError"},
        {2, "ParameterError"},
        {3, "CommunicationFail"},
        {4, "LoadDllError"},
        {5, "CreateFileError"},
        {6, "DriverHaveJobError"},
        {8, "PortAccessError"},
    }};
    for (const auto& [c, key] : table) {
        if (c == code)
            return key;
    }
    return nullptr;
}

const QStringList& MessageKeys() {
    static const QStringList keys{
        QStringLiteral("RebootEffective"),
        QStringLiteral("ApplayEffective"),
        QStringLiteral("DownloadSuccess"),
        QStringLiteral("DownloadProgress"),
        QStringLiteral("DownloadCancelled"),
        QStringLiteral("CommunicationFail"),
        QStringLiteral("ReadPrinterSuccess"),
        QStringLiteral("ReadPrinterFail"),
        QStringLiteral("SaveFileFail"),
        QStringLiteral("SaveFileSuccess"),
        QStringLiteral("PasswordError"),
        QStringLiteral("LoadDllError"),
        QStringLiteral("OpenPortError"),
        QStringLiteral("CreateFileError"),
        QStringLiteral("DriverHaveJobError"),
        QStringLiteral("PortAccessError"),
        QStringLiteral("ParameterError"),
        QStringLiteral("WepPassword"),
        QStringLiteral("WpaPassword"),
        // Messages of our own for failures the screens report rather than hide.
        QStringLiteral("SsidTooLong"),
        QStringLiteral("TcpPortRange"),
        QStringLiteral("PictureOpenFail"),
        QStringLiteral("OpenFileFail"),
        QStringLiteral("DriverSetupError"),
        // Input refused before anything reaches a printer.
        QStringLiteral("FileOpenFail"),
        QStringLiteral("FileNotRegular"),
        QStringLiteral("FileTooLarge"),
        QStringLiteral("FileReadFail"),
        QStringLiteral("EepromFileForeign"),
        QStringLiteral("EepromFileIncomplete"),
        QStringLiteral("SettingsFileNoSection"),
        QStringLiteral("SettingsFileNoKey"),
        QStringLiteral("SettingsFileDamaged"),
        QStringLiteral("SettingsClamped"),
        QStringLiteral("SettingClampedLine"),
        QStringLiteral("SettingOutOfRange"),
        QStringLiteral("PortCannotRead"),
        QStringLiteral("UserSettingsIgnored"),
        // Questions before irreversible writes, backups and the check of what was written.
        QStringLiteral("WriteVerified"),
        QStringLiteral("WriteNotTaken"),
        QStringLiteral("WriteDifferenceLine"),
        QStringLiteral("WriteNotVerifiable"),
        QStringLiteral("WriteCheckFailed"),
        QStringLiteral("ConfirmEepromApply"),
        QStringLiteral("ConfirmEepromRestore"),
        QStringLiteral("ConfirmFactoryReset"),
        QStringLiteral("ConfirmUpgrade"),
        QStringLiteral("NetworkMovesPrinter"),
        QStringLiteral("RestoreChooseBackup"),
        QStringLiteral("BackupNewest"),
        QStringLiteral("NoSettingsBackup"),
        QStringLiteral("CompareNotRead"),
        QStringLiteral("CompareSame"),
        QStringLiteral("CompareDiffers"),
        QStringLiteral("CompareLine"),
        QStringLiteral("CompareOtherLanguage"),
        QStringLiteral("CompareNothing"),
        // Outcomes of operations for the activity log, and what the first minute needs.
        QStringLiteral("AddressMissing"),
        QStringLiteral("ToolNotInstalled"),
        QStringLiteral("ToolStarted"),
        QStringLiteral("ToolStartFail"),
        QStringLiteral("PortOpened"),
        QStringLiteral("SearchDone"),
        QStringLiteral("CommandSent"),
        QStringLiteral("LabelSent"),
        QStringLiteral("LogoDownloaded"),
        QStringLiteral("LogoOpened"),
        QStringLiteral("FileLoaded"),
        QStringLiteral("DebugExchangeDone"),
        QStringLiteral("TimedSendDone"),
        QStringLiteral("RepeatSendDone"),
        QStringLiteral("TrafficLogOn"),
        QStringLiteral("DriverSetupStarted"),
        QStringLiteral("ActivitySucceeded"),
        QStringLiteral("ActivityFailed"),
        QStringLiteral("ActivityDropped"),
    };
    return keys;
}

} // namespace quillory
