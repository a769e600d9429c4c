#include "eeprom/EepromDiff.h"

#include "app/LanguageTexts.h"
#include "eeprom/ParameterControls.h"
#include "eeprom/ParameterTables.h"

#include <array>
#include <map>

namespace quillory {
namespace {

constexpr int kVkla = 3;
// The EEPROM pages' caption labels carry the control id plus this.
constexpr int kCaptionOffset = 10000;

struct PageElement {
    int instruction;
    int page;
    const char* element;
};
constexpr std::array<PageElement, 11> kPageElements{{
    {0, 1, "VKLZEEPOneDlg"},
    {0, 2, "VKLZEEPTwoDlg"},
    {1, 1, "VKLEEEPOneDlg"},
    {1, 2, "VKLEEEPTwoDlg"},
    {2, 1, "VKLTEEPOneDlg"},
    {2, 2, "VKLTEEPTwoDlg"},
    {3, 1, "VKLAEEPOneDlg"},
    {3, 2, "VKLAEEPTwoDlg"},
    {3, 3, "VKLAEEPThreeDlg"},
    {4, 1, "VKLCEEPOneDlg"},
    {4, 2, "VKLCEEPTwoDlg"},
}};

struct Pages {
    std::map<int, CCollectedScreenTexts> byPage;
};

Pages LoadPages(int instructionIndex, int languageIndex) {
    Pages pages;
    for (const PageElement& e : kPageElements)
        if (e.instruction == instructionIndex)
            ApplyScreenTexts(e.element, languageIndex, pages.byPage[e.page]);
    return pages;
}

const EepromControlRow* RowOf(int instructionIndex, int entry) {
    for (const EepromControlRow& row : EepromControls(instructionIndex))
        if (row.entry == entry)
            return &row;
    return nullptr;
}

QString Caption(const Pages& pages, const EepromControlRow* row) {
    if (!row)
        return {};
    const auto page = pages.byPage.find(row->page);
    if (page == pages.byPage.end())
        return {};
    const auto text = page->second.texts.find(kCaptionOffset + row->id);
    if (text == page->second.texts.end())
        return {};
    QString caption = text->second.trimmed();
    while (caption.endsWith(u':') || caption.endsWith(u'\uFF1A'))
        caption.chop(1);
    return caption.trimmed();
}

QString ValueText(const Pages& pages, const EepromControlRow* row, int value) {
    if (!row)
        return QString::number(value);
    const int shown = EepromPositionOfValue(row->conversion, value);
    if (row->kind != EepromControlKind::List)
        return QString::number(shown);
    QStringList items;
    for (const char* text : EepromFixedListTexts(row->fixedList))
        items << QString::fromLatin1(text);
    if (items.isEmpty()) {
        const auto page = pages.byPage.find(row->page);
        if (page != pages.byPage.end()) {
            const auto list = page->second.lists.find(row->id);
            if (list != page->second.lists.end())
                items = list->second;
        }
    }
    if (shown >= 0 && shown < items.size())
        return QStringLiteral("%1 (%2)").arg(items[shown]).arg(value);
    return QString::number(value);
}

QString Text(const QByteArray& bytes) {
    return QString::fromLocal8Bit(bytes);
}

} // namespace

EepromValues EepromValuesOfImage(int instructionIndex, std::span<const std::uint16_t> image,
                                 const QByteArray& idText, const PrinterNameTexts& names) {
    EepromValues values;
    values.instructionIndex = instructionIndex;
    values.parameters = DecodeParameters(instructionIndex, image);
    values.idText = idText;
    values.names = names;
    return values;
}

EepromValues EepromValuesOfFile(int instructionIndex, QByteArrayView bytes) {
    if (instructionIndex == kVkla) {
        VklaImage image{};
        QByteArray idText;
        ParseVklaEepromFile(bytes, image, idText);
        return EepromValuesOfImage(instructionIndex, image, idText);
    }
    WnImage image{};
    PrinterNameTexts names;
    ParseWnEepromFile(bytes, image, names);
    return EepromValuesOfImage(instructionIndex, image, {}, names);
}

QString EepromParameterKey(int instructionIndex, int entry) {
    if (entry < 0)
        return {};
    if (instructionIndex == kVkla) {
        const auto table = VklaParameters();
        if (std::size_t(entry) >= table.size())
            return {};
        const MaskParameter& p = table[std::size_t(entry)];
        return p.isText ? QStringLiteral("IDText") : QString::asprintf("%02X&%04X", p.address, p.mask);
    }
    const auto table = BitParameters(instructionIndex);
    if (std::size_t(entry) >= table.size())
        return {};
    const BitParameter& p = table[std::size_t(entry)];
    return QString::asprintf("%02X:%d-%d", p.address, p.first, p.last);
}

Comparison CompareEeprom(const EepromValues& left, const EepromValues& right, int languageIndex) {
    Comparison result;
    result.leftInstruction = left.instructionIndex;
    result.rightInstruction = right.instructionIndex;
    if (left.instructionIndex != right.instructionIndex || left.instructionIndex < 0) {
        result.comparable = false;
        return result;
    }
    const int index = left.instructionIndex;
    const Pages pages = LoadPages(index, languageIndex);
    const int count = ParameterCount(index);
    for (int entry = 0; entry < count; ++entry) {
        const EepromControlRow* row = RowOf(index, entry);
        if (index == kVkla && entry == kVklaIdTextEntry) {
            if (left.idText != right.idText)
                result.differences.push_back({EepromParameterKey(index, entry), Caption(pages, row),
                                              Text(left.idText), Text(right.idText), true});
            continue;
        }
        const auto at = [entry](const std::vector<int>& p) {
            return std::size_t(entry) < p.size() ? p[std::size_t(entry)] : 0;
        };
        const int a = at(left.parameters);
        const int b = at(right.parameters);
        if (a == b)
            continue;
        result.differences.push_back({EepromParameterKey(index, entry), Caption(pages, row),
                                      ValueText(pages, row, a), ValueText(pages, row, b),
                                      EepromEntryWritten(index, entry)});
    }
    if (index != kVkla) {
        const std::array<std::pair<const char*, QByteArray PrinterNameTexts::*>, 3> texts{{
            {"PrinterName", &PrinterNameTexts::printerName},
            {"PrinterNameZorv", &PrinterNameTexts::printerNameZorv},
            {"TphAdj", &PrinterNameTexts::tphAdj},
        }};
        for (const auto& [key, member] : texts)
            if (left.names.*member != right.names.*member)
                result.differences.push_back(
                    {QLatin1String(key), {}, Text(left.names.*member), Text(right.names.*member), false});
    }
    return result;
}

} // namespace quillory
