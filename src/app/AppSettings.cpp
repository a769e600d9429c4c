#include "app/AppSettings.h"

#include "port/LineSettings.h"

#include "app/AppPaths.h"
#include "app/LanguageTexts.h"
#include "app/NumberText.h"
#include "app/ProfileFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <atomic>

namespace quillory {
namespace {

// Buffers of the original profile reads: 20 characters for [Main], 100 for the port keys,
// 20 and 260 for the port names.
constexpr int kMainChars = 19;
constexpr int kPortIntChars = 99;

std::atomic<int> gSystemLanguageOverride{0};

// The numbers of the port keys are used as they are (line settings, indexes, a TCP port): one
// outside what the field can mean reads as the key's default instead. The program itself writes 0
// into the line settings of a port of another kind, so 0 reads back as 0.
struct PortNumberKey {
    const char* section;
    const char* key;
    const char* defaultText;
    int minimum;
    int maximum;
};

// The line settings come from their shared table; 0 is also read back (see above).
constexpr PortNumberKey LineSettingKey(const LineSettingRow& row) {
    return {"COM", row.fileKey, row.readDefault, 0, row.maximum};
}
// libusb lists a few dozen devices at most; the index travels as index + 1 in texts.
constexpr PortNumberKey kUsbApiKey{"USBAPI", "ID", "0", 0, 255};
constexpr PortNumberKey kNetPortKey{"Net", "Port", "9100", 0, 65535};

const QString kMain = QStringLiteral("Main");

} // namespace

QString ShippedSettingsFilePath() {
    return ResourcePath(QStringLiteral("Language/Setting.ini"));
}

QString SettingsRootFolder() {
    return UserConfigFolder() + QStringLiteral("/Quillory");
}

QString SettingsFolder() {
    return SettingsRootFolder() + (ReadCommMode() != 0 ? QStringLiteral("/Driver") : QStringLiteral("/Port"));
}

QString UserSettingsFilePath() {
    return SettingsFolder() + QStringLiteral("/Setting.ini");
}

InputFileProblem CheckUserSettingsFile() {
    return CheckInputFile(UserSettingsFilePath(), InputFileKind::UserSettings);
}

bool HasSavedPort() {
    CProfileFile file(UserSettingsFilePath());
    return file.Load() && file.HasKey(QStringLiteral("PortInfo"), QStringLiteral("type"));
}

QString UserSettingsFileWarning(int languageIndex) {
    const InputFileProblem problem = CheckUserSettingsFile();
    if (problem == InputFileProblem::None || problem == InputFileProblem::Missing)
        return {};
    return InputFileProblemText(problem, UserSettingsFilePath(), InputFileKind::UserSettings, languageIndex) +
           QLatin1Char('\n') + GetMessageText("UserSettingsIgnored", languageIndex);
}

int ReadCommMode() {
    return ReadProfileInt(ShippedSettingsFilePath(), kMain, QStringLiteral("CommMode"), QStringLiteral("0"),
                          kMainChars);
}

int SystemLanguageId() {
    if (const int o = gSystemLanguageOverride.load(); o != 0)
        return o;
    const QLocale locale = QLocale::system();
    if (locale.language() != QLocale::Chinese)
        return 1033;
    switch (locale.territory()) {
    case QLocale::Taiwan:
    case QLocale::HongKong:
    case QLocale::Macao:
        return 1028;
    case QLocale::China:
    case QLocale::Singapore:
        return 2052;
    default:
        return locale.script() == QLocale::TraditionalChineseScript ? 1028 : 2052;
    }
}

void SetSystemLanguageIdOverride(int languageId) {
    gSystemLanguageOverride.store(languageId);
}

int ResolveLanguage(int stored, int systemLanguageId) {
    if (stored != -1)
        return stored;
    if (systemLanguageId == 2052)
        return LANGUAGE_SIMPLIFIED_CHINESE;
    if (systemLanguageId == 1028)
        return LANGUAGE_TRADITIONAL_CHINESE;
    return LANGUAGE_ENGLISH;
}

int ReadLanguage() {
    const int stored = ReadProfileInt(UserSettingsFilePath(), kMain, QStringLiteral("Language"),
                                      QStringLiteral("-1"), kMainChars);
    return stored == -1 ? ResolveLanguage(stored, SystemLanguageId()) : stored;
}

void WriteLanguage(int language) {
    WriteProfileString(UserSettingsFilePath(), kMain, QStringLiteral("Language"), QString::number(language));
}

int ReadWizard() {
    return ReadProfileInt(UserSettingsFilePath(), kMain, QStringLiteral("Wizard"), QStringLiteral("0"),
                          kMainChars);
}

void WriteWizard(int wizard) {
    WriteProfileString(UserSettingsFilePath(), kMain, QStringLiteral("Wizard"), QString::number(wizard));
}

int ReadInstruction() {
    return ReadProfileInt(UserSettingsFilePath(), kMain, QStringLiteral("Instruction"), QStringLiteral("0"),
                          kMainChars);
}

void WriteInstruction(int instruction) {
    WriteProfileString(UserSettingsFilePath(), kMain, QStringLiteral("Instruction"),
                       QString::number(instruction));
}

namespace {

int ReadPortNumber(const CProfileFile& file, const PortNumberKey& key) {
    const int value = file.GetInt(QLatin1String(key.section), QLatin1String(key.key),
                                  QLatin1String(key.defaultText), kPortIntChars);
    return value >= key.minimum && value <= key.maximum ? value
                                                        : ParseLeadingInt(QLatin1String(key.defaultText));
}

} // namespace

tagPORTINFO& ReadPortInfo(tagPORTINFO& info) {
    CProfileFile file(UserSettingsFilePath());
    file.Load();
    const auto readInt = [&](const char* section, const char* key, const char* defaultText) {
        return file.GetInt(QLatin1String(section), QLatin1String(key), QLatin1String(defaultText),
                           kPortIntChars);
    };
    const auto readText = [&](const char* section, const char* key, const char* defaultText, int chars) {
        return file.GetString(QLatin1String(section), QLatin1String(key), QLatin1String(defaultText), chars);
    };

    const int fileType = readInt("PortInfo", "type", "0");
    if (fileType >= 0 && fileType <= 5)
        info.portType = PortTypeFromFileType(fileType);
    SetSerialPortName(info, readText("COM", "Name", "COM1", int(kMaxSerialNameChars)));
    for (const LineSettingRow& row : kLineSettings)
        info.*row.field = ReadPortNumber(file, LineSettingKey(row));
    SetPortText(info.lptName, readText("LPT", "Name", "LPT1", 19));
    SetPortText(info.usbClassName, readText("USBClass", "Name", "KMT-5200A", 259));
    info.usbApiId = ReadPortNumber(file, kUsbApiKey);
    SetPortText(info.netAddress, readText("Net", "IP", "192.168.0.200", 259));
    info.netPort = ReadPortNumber(file, kNetPortKey);
    SetPortText(info.driverName, readText("Dirver", "Name", "KMT-5200A", 259));
    return info;
}

tagPORTINFO ReadPortInfo() {
    tagPORTINFO info = MakePortInfo(0);
    return ReadPortInfo(info);
}

namespace {

// The port keys in their file order; every field is written whatever the port type.
void SetPortKeys(CProfileFile& file, const tagPORTINFO& info) {
    const auto setText = [&](const char* section, const char* key, const QString& value) {
        file.SetString(QLatin1String(section), QLatin1String(key), value);
    };
    const auto setInt = [&](const char* section, const char* key, int value) {
        file.SetInt(QLatin1String(section), QLatin1String(key), value);
    };
    setText("COM", "Name", SerialPortName(info));
    for (const LineSettingRow& row : kLineSettings)
        setInt("COM", row.fileKey, info.*row.field);
    setText("LPT", "Name", PortText(info.lptName));
    setText("USBClass", "Name", PortText(info.usbClassName));
    setInt("USBAPI", "ID", info.usbApiId);
    setText("Net", "IP", PortText(info.netAddress));
    setInt("Net", "Port", info.netPort);
    setText("Dirver", "Name", PortText(info.driverName));
}

} // namespace

void WritePortInfo(tagPORTINFO info) {
    CProfileFile file(UserSettingsFilePath());
    file.Load();
    if (!file.MayReplace())
        return;
    if (const int fileType = FileTypeFromPortType(info.portType); fileType >= 0)
        file.SetInt(QStringLiteral("PortInfo"), QStringLiteral("type"), fileType);
    SetPortKeys(file, info);
    (void)file.Save();
}

namespace {

struct TimingKey {
    const char* key;
    int PortTiming::*field;
    TimingRange range;
};
constexpr TimingKey kTimingKeys[] = {
    {"ReplyTimeout", &PortTiming::replyTimeoutMs, kReplyTimeoutRange},
    {"ReplyGap", &PortTiming::replyGapMs, kReplyGapRange},
    {"StallLimit", &PortTiming::stallLimitMs, kStallLimitRange},
};
const QString kTiming = QStringLiteral("Timing");

} // namespace

PortTiming ReadPortTiming() {
    CProfileFile file(UserSettingsFilePath());
    file.Load();
    PortTiming timing;
    for (const TimingKey& row : kTimingKeys) {
        const int fallback = timing.*row.field;
        const int value =
            file.GetInt(kTiming, QLatin1String(row.key), QString::number(fallback), kPortIntChars);
        timing.*row.field = value >= row.range.minimum && value <= row.range.maximum ? value : fallback;
    }
    return timing;
}

void WritePortTiming(const PortTiming& timing) {
    CProfileFile file(UserSettingsFilePath());
    file.Load();
    for (const TimingKey& row : kTimingKeys)
        file.SetInt(kTiming, QLatin1String(row.key), timing.*row.field);
    (void)file.Save();
}

void InitUserSettings() {
    const QString root = SettingsRootFolder();
    if (!QFileInfo::exists(root))
        QDir().mkpath(root);
    const QString folder = SettingsFolder();
    if (QFileInfo::exists(folder))
        return;
    if (!QDir().mkpath(folder))
        return;

    const QString commModeText = ReadProfileString(
        ShippedSettingsFilePath(), kMain, QStringLiteral("CommMode"), QStringLiteral("-1"), kMainChars);
    CProfileFile file(folder + QStringLiteral("/Setting.ini"));
    file.SetString(kMain, QStringLiteral("CommMode"), commModeText);
    file.SetInt(kMain, QStringLiteral("Language"), -1);
    file.SetInt(kMain, QStringLiteral("Wizard"), 1);
    file.SetInt(kMain, QStringLiteral("Instruction"), 0);
    file.SetInt(QStringLiteral("PortInfo"), QStringLiteral("type"),
                ParseLeadingInt(commModeText) != 0 ? 5 : 0);

    tagPORTINFO first = MakePortInfo(PORT_COM);
    SetPortText(first.comName, QStringLiteral("COM1"));
    SetNewPortLineSettings(first);
    SetPortKeys(file, first);
    (void)file.Save();
}

QString HelpGuidePath(int languageIndex) {
    const QString guide = ResourcePath(QStringLiteral("Guide"));
    const QString base = languageIndex == LANGUAGE_SIMPLIFIED_CHINESE ? QStringLiteral("Guide_CN")
                                                                      : QStringLiteral("Guide_EN");
    const QString chm = guide + QLatin1Char('/') + base + QStringLiteral(".chm");
    if (QFileInfo::exists(chm))
        return chm;
    return guide + QLatin1Char('/') + base + QStringLiteral(".html");
}

} // namespace quillory
