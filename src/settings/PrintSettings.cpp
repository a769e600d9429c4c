#include "settings/PrintSettings.h"

#include "app/LanguageTexts.h"
#include "app/ProfileFile.h"
#include "port/PortInfo.h"

#include <algorithm>

namespace quillory {
namespace {

template <typename R>
struct IntField {
    const char* name;
    int R::*member;
};

template <typename R>
struct TextField {
    const char* name;
    QString R::*member;
};

// How a language's loader treats the "Unit" key.
enum class UnitRule { ReadKey, AlwaysZero };

template <typename R>
struct Traits;

template <>
struct Traits<VKLASettings> {
    using R = VKLASettings;
    static constexpr int kIndex = 3;
    static constexpr bool kDpiDefault203 = false;
    static constexpr UnitRule kUnit = UnitRule::ReadKey;
    static constexpr std::array<TextField<R>, 1> kTexts{{{"FirmwareVersion", &R::FirmwareVersion}}};
    static constexpr std::array<IntField<R>, 14> kInts{{
        {"Unit", &R::Unit},
        {"DPI", &R::DPI},
        {"PrintType", &R::PrintType},
        {"PaperType", &R::PaperType},
        {"PaperHeight", &R::PaperHeight},
        {"GapHeight", &R::GapHeight},
        {"PrintSpeed", &R::PrintSpeed},
        {"PrintDarkness", &R::PrintDarkness},
        {"OutPaperType", &R::OutPaperType},
        {"PrintAffterError", &R::PrintAffterError},
        {"CheckPaperType", &R::CheckPaperType},
        {"TearPaperPosition", &R::TearPaperPosition},
        {"HoriPrintPositionOffset", &R::HoriPrintPositionOffset},
        {"VertPrintPositionOffset", &R::VertPrintPositionOffset},
    }};
    static constexpr std::array<const char*, 14> kFileKeys{"Unit",
                                                           "DPI",
                                                           "PrintType",
                                                           "PaperType",
                                                           "PaperHeight",
                                                           "GapHeight",
                                                           "PrintDarkness",
                                                           "PrintSpeed",
                                                           "OutPaperType",
                                                           "PrintAffterError",
                                                           "CheckPaperType",
                                                           "HoriPrintPositionOffset",
                                                           "TearPaperPosition",
                                                           "VertPrintPositionOffset"};
};

template <>
struct Traits<VKLCSettings> {
    using R = VKLCSettings;
    static constexpr int kIndex = 4;
    static constexpr bool kDpiDefault203 = true;
    // Its own files never carry "Unit", but a hand-edited one is honoured.
    static constexpr UnitRule kUnit = UnitRule::ReadKey;
    static constexpr std::array<TextField<R>, 1> kTexts{{{"FirmwareVersion", &R::FirmwareVersion}}};
    static constexpr std::array<IntField<R>, 7> kInts{{
        {"Unit", &R::Unit},
        {"DPI", &R::DPI},
        {"PaperType", &R::PaperType},
        {"PaperHeight", &R::PaperHeight},
        {"PaperWidth", &R::PaperWidth},
        {"PrintSpeed", &R::PrintSpeed},
        {"PrintDarkness", &R::PrintDarkness},
    }};
    static constexpr std::array<const char*, 6> kFileKeys{"DPI",        "PaperHeight",   "PaperType",
                                                          "PaperWidth", "PrintDarkness", "PrintSpeed"};
};

template <>
struct Traits<VKLESettings> {
    using R = VKLESettings;
    static constexpr int kIndex = 1;
    static constexpr bool kDpiDefault203 = false;
    static constexpr UnitRule kUnit = UnitRule::AlwaysZero;
    static constexpr std::array<TextField<R>, 2> kTexts{
        {{"FirmwareVersion", &R::FirmwareVersion}, {"ClockText", &R::ClockText}}};
    static constexpr std::array<IntField<R>, 15> kInts{{
        {"DPI", &R::DPI},
        {"Unit", &R::Unit},
        {"PrintType", &R::PrintType},
        {"PaperType", &R::PaperType},
        {"PaperHeight", &R::PaperHeight},
        {"PaperWidth", &R::PaperWidth},
        {"GapHeight", &R::GapHeight},
        {"PrintDrection", &R::PrintDrection},
        {"PrintSpeed", &R::PrintSpeed},
        {"PrintDarkness", &R::PrintDarkness},
        {"OutPaperType", &R::OutPaperType},
        {"CodePage", &R::CodePage},
        {"BitData", &R::BitData},
        {"SetClock", &R::SetClock},
        {"SetClockMethod", &R::SetClockMethod},
    }};
    static constexpr std::array<const char*, 15> kFileKeys{
        "Unit",         "DPI",       "PrintType",     "PaperType",  "PaperHeight",
        "PaperWidth",   "GapHeight", "PrintDrection", "PrintSpeed", "PrintDarkness",
        "OutPaperType", "BitData",   "CodePage",      "SetClock",   "SetClockMethod"};
};

template <>
struct Traits<VKLTSettings> {
    using R = VKLTSettings;
    static constexpr int kIndex = 2;
    static constexpr bool kDpiDefault203 = true;
    static constexpr UnitRule kUnit = UnitRule::ReadKey;
    static constexpr std::array<TextField<R>, 1> kTexts{{{"FirmwareVersion", &R::FirmwareVersion}}};
    static constexpr std::array<IntField<R>, 17> kInts{{
        {"Unit", &R::Unit},
        {"DPI", &R::DPI},
        {"PrintType", &R::PrintType},
        {"PaperType", &R::PaperType},
        {"PaperHeight", &R::PaperHeight},
        {"PaperWidth", &R::PaperWidth},
        {"GapHeight", &R::GapHeight},
        {"PrintSpeed", &R::PrintSpeed},
        {"PrintDarkness", &R::PrintDarkness},
        {"OutPaperType", &R::OutPaperType},
        {"PrintDrection", &R::PrintDrection},
        {"MirrorPrint", &R::MirrorPrint},
        {"TearPaperPosition", &R::TearPaperPosition},
        {"HoriPrintPositionOffset", &R::HoriPrintPositionOffset},
        {"VertPrintPositionOffset", &R::VertPrintPositionOffset},
        {"CodePage", &R::CodePage},
        {"PrintAffterError", &R::PrintAffterError},
    }};
    static constexpr std::array<const char*, 17> kFileKeys{"Unit",
                                                           "DPI",
                                                           "PrintType",
                                                           "PaperType",
                                                           "PaperHeight",
                                                           "PaperWidth",
                                                           "GapHeight",
                                                           "PrintDarkness",
                                                           "PrintSpeed",
                                                           "OutPaperType",
                                                           "PrintDrection",
                                                           "PrintAffterError",
                                                           "MirrorPrint",
                                                           "CodePage",
                                                           "HoriPrintPositionOffset",
                                                           "TearPaperPosition",
                                                           "VertPrintPositionOffset"};
};

template <>
struct Traits<VKLZSettings> {
    using R = VKLZSettings;
    static constexpr int kIndex = 0;
    static constexpr bool kDpiDefault203 = true;
    static constexpr UnitRule kUnit = UnitRule::AlwaysZero;
    static constexpr std::array<TextField<R>, 2> kTexts{
        {{"FirmwareVersion", &R::FirmwareVersion}, {"ClockText", &R::ClockText}}};
    static constexpr std::array<IntField<R>, 16> kInts{{
        {"Unit", &R::Unit},
        {"DPI", &R::DPI},
        {"PrintType", &R::PrintType},
        {"PaperType", &R::PaperType},
        {"PaperHeight", &R::PaperHeight},
        {"PaperWidth", &R::PaperWidth},
        {"PrintDrection", &R::PrintDrection},
        {"PrintSpeed", &R::PrintSpeed},
        {"PrintDarkness", &R::PrintDarkness},
        {"OutPaperType", &R::OutPaperType},
        {"TearPaperPosition", &R::TearPaperPosition},
        {"HoriPrintPositionOffset", &R::HoriPrintPositionOffset},
        {"VertPrintPositionOffset", &R::VertPrintPositionOffset},
        {"MirrorPrint", &R::MirrorPrint},
        {"SetClock", &R::SetClock},
        {"SetClockMethod", &R::SetClockMethod},
    }};
    static constexpr std::array<const char*, 16> kFileKeys{"Unit",
                                                           "DPI",
                                                           "PrintType",
                                                           "PaperType",
                                                           "PaperHeight",
                                                           "PaperWidth",
                                                           "PrintDrection",
                                                           "PrintDarkness",
                                                           "PrintSpeed",
                                                           "OutPaperType",
                                                           "MirrorPrint",
                                                           "TearPaperPosition",
                                                           "HoriPrintPositionOffset",
                                                           "VertPrintPositionOffset",
                                                           "SetClock",
                                                           "SetClockMethod"};
};

template <typename R>
int R::*MemberOf(const char* name) {
    for (const auto& f : Traits<R>::kInts) {
        if (qstrcmp(f.name, name) == 0)
            return f.member;
    }
    return nullptr;
}

const QString kSection = QStringLiteral("First");

template <typename R>
bool Save(const R& record, const QString& path) {
    CProfileFile file(path);
    for (const char* key : Traits<R>::kFileKeys) {
        int value = record.*MemberOf<R>(key);
        if (qstrcmp(key, "DPI") == 0)
            value = ValidDpiOr203(value);
        file.SetInt(kSection, QLatin1String(key), value);
    }
    return file.Save();
}

// The keys a language's loader reads: its file keys, and "Unit" for the languages that read it.
template <typename R>
std::vector<const char*> ReadKeys() {
    std::vector<const char*> keys;
    for (const char* key : Traits<R>::kFileKeys) {
        if (qstrcmp(key, "Unit") != 0 || Traits<R>::kUnit == UnitRule::ReadKey)
            keys.push_back(key);
    }
    if (Traits<R>::kUnit == UnitRule::ReadKey && std::find_if(keys.begin(), keys.end(), [](const char* k) {
                                                     return qstrcmp(k, "Unit") == 0;
                                                 }) == keys.end())
        keys.push_back("Unit");
    return keys;
}

bool IsText(const QByteArray& bytes) {
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 && b != '\t' && b != '\r' && b != '\n')
            return false;
        if (b == 0x7F)
            return false;
    }
    return true;
}

// Reads and judges a file for a language; on success file holds its keys.
template <typename R>
SettingsFileVerdict Inspect(const QString& path, CProfileFile& file) {
    SettingsFileVerdict verdict;
    const InputFileData data = ReadInputFile(path, InputFileKind::SettingsFile);
    verdict.file = data.problem;
    verdict.reason = data.reason;
    if (!data.Ok())
        return verdict;
    if (!IsText(data.bytes) || !file.LoadBytes(data.bytes)) {
        verdict.content = SettingsFileContent::Damaged;
        return verdict;
    }
    if (!file.HasSection(kSection)) {
        verdict.content = SettingsFileContent::NoSection;
        return verdict;
    }
    for (const char* key : ReadKeys<R>()) {
        if (file.HasKey(kSection, QLatin1String(key)))
            verdict.keys << QLatin1String(key);
    }
    if (verdict.keys.isEmpty())
        verdict.content = SettingsFileContent::NoKnownKey;
    return verdict;
}

template <typename R>
bool Load(R& record, const QString& path) {
    CProfileFile file(path, InputFileKind::SettingsFile);
    if (!Inspect<R>(path, file).Ok())
        return false;
    const auto read = [&](const char* key) {
        const bool dpi = qstrcmp(key, "DPI") == 0;
        const QString fallback =
            dpi && Traits<R>::kDpiDefault203 ? QStringLiteral("203") : QStringLiteral("0");
        return file.GetInt(kSection, QLatin1String(key), fallback, 1023);
    };
    R loaded = record;
    loaded.DPI = ValidDpiOr203(read("DPI"));
    loaded.Unit = Traits<R>::kUnit == UnitRule::ReadKey ? read("Unit") : 0;
    for (const char* key : Traits<R>::kFileKeys) {
        if (qstrcmp(key, "DPI") != 0 && qstrcmp(key, "Unit") != 0)
            loaded.*MemberOf<R>(key) = read(key);
    }
    record = loaded;
    return true;
}

template <typename R>
std::vector<std::pair<QString, QVariant>> Fields(const R& record) {
    std::vector<std::pair<QString, QVariant>> out;
    out.emplace_back(QStringLiteral("FirmwareVersion"), record.FirmwareVersion);
    for (const auto& f : Traits<R>::kInts)
        out.emplace_back(QLatin1String(f.name), record.*(f.member));
    if constexpr (Traits<R>::kTexts.size() > 1)
        out.emplace_back(QLatin1String(Traits<R>::kTexts[1].name), record.*(Traits<R>::kTexts[1].member));
    return out;
}

} // namespace

SettingsRecord MakeSettingsRecord(int instructionIndex) {
    switch (instructionIndex) {
    case 0:
        return VKLZSettings{};
    case 1:
        return VKLESettings{};
    case 2:
        return VKLTSettings{};
    case 3:
        return VKLASettings{};
    default:
        return VKLCSettings{};
    }
}

int InstructionIndexOf(const SettingsRecord& record) {
    return std::visit([](const auto& r) { return Traits<std::decay_t<decltype(r)>>::kIndex; }, record);
}

std::vector<std::pair<QString, QVariant>> SettingsFields(const SettingsRecord& record) {
    return std::visit([](const auto& r) { return Fields(r); }, record);
}

bool SetSettingsField(SettingsRecord& record, const QString& name, int value) {
    return std::visit(
        [&](auto& r) {
            using R = std::decay_t<decltype(r)>;
            const QByteArray key = name.toLatin1();
            int R::*member = MemberOf<R>(key.constData());
            if (!member)
                return false;
            r.*member = value;
            return true;
        },
        record);
}

bool IsValidDpi(int dpi) {
    return dpi == 203 || dpi == 300 || dpi == 400 || dpi == 600;
}

std::vector<const char*> SettingsFileKeys(int instructionIndex) {
    return std::visit(
        [](const auto& r) {
            const auto& keys = Traits<std::decay_t<decltype(r)>>::kFileKeys;
            return std::vector<const char*>(keys.begin(), keys.end());
        },
        MakeSettingsRecord(instructionIndex));
}

bool SaveSettingsRecord(const SettingsRecord& record, const QString& path) {
    return std::visit([&](const auto& r) { return Save(r, path); }, record);
}

bool LoadSettingsRecord(SettingsRecord& record, const QString& path) {
    return std::visit([&](auto& r) { return Load(r, path); }, record);
}

SettingsFileVerdict CheckSettingsFile(const QString& path, int instructionIndex) {
    return std::visit(
        [&](const auto& r) {
            CProfileFile file(path, InputFileKind::SettingsFile);
            return Inspect<std::decay_t<decltype(r)>>(path, file);
        },
        MakeSettingsRecord(instructionIndex));
}

QString SettingsFileVerdictText(const SettingsFileVerdict& verdict, const QString& path, int instructionIndex,
                                int languageIndex) {
    if (verdict.file != InputFileProblem::None)
        return InputFileProblemText(verdict.file, path, InputFileKind::SettingsFile, languageIndex,
                                    verdict.reason);
    const QStringList args{path, InstructionName(instructionIndex)};
    switch (verdict.content) {
    case SettingsFileContent::Valid:
        return {};
    case SettingsFileContent::NoSection:
        return FormatMessageText("SettingsFileNoSection", languageIndex, args);
    case SettingsFileContent::NoKnownKey:
        return FormatMessageText("SettingsFileNoKey", languageIndex, args);
    case SettingsFileContent::Damaged:
        return FormatMessageText("SettingsFileDamaged", languageIndex, args);
    }
    return {};
}

QString SettingsFileExtension(int instructionIndex) {
    static const char* const names[] = {"VKLZSET", "VKLESET", "VKLTSET", "VKLASET", "VKLCSET"};
    return QLatin1String(names[instructionIndex >= 0 && instructionIndex <= 3 ? instructionIndex : 4]);
}

const std::array<const char*, 19>& VkleCodePageList() {
    static constexpr std::array<const char*, 19> list{
        "English-US(437)", "latin 1(850)", "Latin 2(852)",   "Portuguese(860)", "French Canadian(863)",
        "Nordic(865)",     "Turkish(857)", "Icelandic(861)", "Hcbrew(862)",     "Cyrillic CIS1(866)",
        "Greek(737)",      "Greek 1(851)", "Greek 2(869)",   "Latin 1(1252)",   "Latin 2(1250)",
        "Cyrllic(1251)",   "Greek(1253)",  "Turkish(1254)",  "Hebrew(1255)"};
    return list;
}

const std::array<const char*, 48>& VkltCodePageList() {
    static constexpr std::array<const char*, 48> list{
        "USA",    "BRI",    "GER",    "FRE",    "DAN",    "ITA",    "SPA",     "SWE",    "SWI",    "437",
        "737",    "850",    "851",    "852",    "855",    "857",    "860",     "861",    "862",    "863",
        "864",    "865",    "866",    "869",    "1250",   "1251",   "1252",    "1253",   "1254",   "1255",
        "1256",   "1257",   "1258",   "932",    "936",    "949",    "950",     "UTF-8",  "8859-1", "8859-2",
        "8859-3", "8859-4", "8859-5", "8859-7", "8859-8", "8859-9", "8859-10", "8859-15"};
    return list;
}

} // namespace quillory
