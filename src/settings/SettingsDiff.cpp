#include "settings/SettingsDiff.h"

#include "app/LanguageTexts.h"
#include "settings/SettingsScreenRules.h"

#include <algorithm>
#include <array>
#include <map>

namespace quillory {
namespace {

constexpr std::array<const char*, 3> kNotConfiguration{"FirmwareVersion", "SetClock", "SetClockMethod"};
constexpr std::array<const char*, 6> kLengthKeys{"PaperHeight",
                                                 "PaperWidth",
                                                 "GapHeight",
                                                 "TearPaperPosition",
                                                 "HoriPrintPositionOffset",
                                                 "VertPrintPositionOffset"};
constexpr int kVkla = 3;

// The settings screens' controls by field, for their captions (the label carries the control id
// plus 10000) and list entries.
struct ScreenField {
    int instruction;
    const char* key;
    int id;
    bool list;
};
constexpr std::array<ScreenField, 59> kScreenFields{{
    {0, "Unit", 1564, true},
    {0, "PrintType", 1565, true},
    {0, "PaperType", 1566, true},
    {0, "PaperHeight", 1567, false},
    {0, "PaperWidth", 1568, false},
    {0, "PrintDrection", 1569, true},
    {0, "PrintSpeed", 1570, true},
    {0, "PrintDarkness", 1015, false},
    {0, "OutPaperType", 1018, true},
    {0, "TearPaperPosition", 1571, false},
    {0, "HoriPrintPositionOffset", 1572, false},
    {0, "VertPrintPositionOffset", 1573, false},
    {0, "MirrorPrint", 1040, false},
    {1, "Unit", 1543, true},
    {1, "PrintType", 1544, true},
    {1, "PaperType", 1545, true},
    {1, "PaperHeight", 1546, false},
    {1, "PaperWidth", 1547, false},
    {1, "GapHeight", 1548, false},
    {1, "PrintDrection", 1549, true},
    {1, "PrintSpeed", 1550, true},
    {1, "PrintDarkness", 1017, false},
    {1, "OutPaperType", 1551, true},
    {1, "CodePage", 1023, false},
    {2, "Unit", 1606, true},
    {2, "PrintType", 1011, true},
    {2, "PaperType", 1607, true},
    {2, "PaperHeight", 1608, false},
    {2, "PaperWidth", 1609, false},
    {2, "GapHeight", 1015, false},
    {2, "PrintDrection", 1019, true},
    {2, "PrintSpeed", 1610, true},
    {2, "PrintDarkness", 1016, false},
    {2, "OutPaperType", 1028, true},
    {2, "MirrorPrint", 1029, true},
    {2, "CodePage", 1027, false},
    {2, "PrintAffterError", 1020, true},
    {2, "TearPaperPosition", 1021, false},
    {2, "HoriPrintPositionOffset", 1022, false},
    {2, "VertPrintPositionOffset", 1023, false},
    {3, "Unit", 1521, true},
    {3, "PrintType", 1522, true},
    {3, "PaperType", 1523, true},
    {3, "PaperHeight", 1525, false},
    {3, "GapHeight", 1526, false},
    {3, "PrintSpeed", 1010, true},
    {3, "PrintDarkness", 1528, false},
    {3, "OutPaperType", 1524, true},
    {3, "PrintAffterError", 1019, true},
    {3, "CheckPaperType", 1020, true},
    {3, "TearPaperPosition", 1529, false},
    {3, "HoriPrintPositionOffset", 1530, false},
    {3, "VertPrintPositionOffset", 1531, false},
    {4, "Unit", 1029, true},
    {4, "PaperType", 1012, true},
    {4, "PaperHeight", 1030, false},
    {4, "PaperWidth", 1014, false},
    {4, "PrintSpeed", 1016, true},
    {4, "PrintDarkness", 1015, false},
}};
constexpr std::array<const char*, 5> kScreenElements{
    "VKLZPrinterSetDlg", "VKLEPrinterSetDlg", "VKLTPrinterSetDlg", "VKLAPrinterSetDlg", "VKLCPrinterSetDlg"};
constexpr int kCaptionOffset = 10000;

const ScreenField* FindScreenField(int instruction, const QString& key) {
    for (const ScreenField& f : kScreenFields)
        if (f.instruction == instruction && key == QLatin1String(f.key))
            return &f;
    return nullptr;
}

QString CleanCaption(QString caption) {
    caption = caption.trimmed();
    while (caption.endsWith(u':') || caption.endsWith(u'\uFF1A'))
        caption.chop(1);
    return caption.trimmed();
}

bool IsOneOf(const QString& key, const auto& list) {
    return std::any_of(list.begin(), list.end(), [&](const char* k) { return key == QLatin1String(k); });
}

int IntField(const SettingsRecord& record, const char* key) {
    for (const auto& [name, value] : SettingsFields(record))
        if (name == QLatin1String(key))
            return value.toInt();
    return 0;
}

} // namespace

bool Comparison::WrittenDiffer() const {
    return std::any_of(differences.begin(), differences.end(),
                       [](const FieldDifference& d) { return d.written; });
}

bool SettingsFieldWritten(int instructionIndex, const QString& key) {
    if (key == QLatin1String("DPI") || IsOneOf(key, kNotConfiguration))
        return false;
    if (key == QLatin1String("Unit"))
        return instructionIndex == kVkla;
    return true;
}

QString SettingsValueText(const SettingsRecord& record, const QString& key) {
    const int index = InstructionIndexOf(record);
    int value = 0;
    bool found = false;
    for (const auto& [name, v] : SettingsFields(record))
        if (name == key) {
            if (v.typeId() == QMetaType::QString)
                return v.toString();
            value = v.toInt();
            found = true;
        }
    if (!found)
        return {};
    if (index == kVkla && key == QLatin1String("PrintSpeed"))
        return QStringLiteral("%1 (position %2)").arg(value).arg(VklaSpeedPosition(value));
    if (!IsOneOf(key, kLengthKeys))
        return QString::number(value);

    int dots = value;
    if (index == kVkla && key != QLatin1String("PaperHeight") && key != QLatin1String("GapHeight"))
        dots = VklaOffsetShown(value);
    const int unit = FieldUnitOfPosition(IntField(record, "Unit"), index == kVkla);
    const int dpi = ValidDpiOr203(IntField(record, "DPI"));
    // The units the screen converts with: 1 inches, 2 millimetres, anything else dots.
    if (unit == 1)
        return QString::asprintf("%.3f in (%d dots)", double(dots) / dpi, dots);
    if (unit == 2)
        return QString::asprintf("%.3f mm (%d dots)", double(dots) * 25.4 / dpi, dots);
    return QStringLiteral("%1 dots").arg(dots);
}

Comparison CompareSettings(const SettingsRecord& left, const SettingsRecord& right, int languageIndex) {
    Comparison result;
    result.leftInstruction = InstructionIndexOf(left);
    result.rightInstruction = InstructionIndexOf(right);
    if (result.leftInstruction != result.rightInstruction) {
        result.comparable = false;
        return result;
    }
    const int index = result.leftInstruction;
    CCollectedScreenTexts texts;
    if (index >= 0 && index < int(kScreenElements.size()))
        ApplyScreenTexts(kScreenElements[std::size_t(index)], languageIndex, texts);
    const auto shown = [&](const SettingsRecord& record, const QString& key, const ScreenField* field) {
        QString value = SettingsValueText(record, key);
        if (!field || !field->list)
            return value;
        const auto list = texts.lists.find(field->id);
        int position = IntField(record, field->key);
        if (index == kVkla && key == QLatin1String("PrintSpeed"))
            position = VklaSpeedPosition(position);
        if (list == texts.lists.end() || position < 0 || position >= list->second.size())
            return value;
        return QStringLiteral("%1 (%2)").arg(list->second[position],
                                             QString::number(IntField(record, field->key)));
    };
    const auto a = SettingsFields(left);
    const auto b = SettingsFields(right);
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const QString& key = a[i].first;
        if (IsOneOf(key, kNotConfiguration) || key == QLatin1String("ClockText"))
            continue;
        if (a[i].second == b[i].second)
            continue;
        const ScreenField* field = FindScreenField(index, key);
        QString caption;
        if (field) {
            const auto text = texts.texts.find(kCaptionOffset + field->id);
            if (text != texts.texts.end())
                caption = CleanCaption(text->second);
        }
        result.differences.push_back({key, caption, shown(left, key, field), shown(right, key, field),
                                      SettingsFieldWritten(index, key)});
    }
    return result;
}

} // namespace quillory
