#include "settings/ui/PrinterSetDlgs.h"

#include "app/AppSettings.h"

namespace quillory {
namespace {

using K = SettingKind;

template <typename R>
constexpr SettingRow<R> ListRow(int id, const char* key, int R::*field, unsigned flags = kNoFlags) {
    return {{id, K::List, key, 0, 0, 0, flags}, field};
}
template <typename R>
constexpr SettingRow<R> UnitRow(int id) {
    return {{id, K::UnitList, "Unit"}, &R::Unit};
}
template <typename R>
constexpr SettingRow<R> CodePageRow(int id) {
    return {{id, K::CodePage, "CodePage"}, &R::CodePage};
}
template <typename R>
constexpr SettingRow<R> CheckRow(int id, const char* key, int R::*field) {
    return {{id, K::Check, key}, field};
}
// A length or number field with its initial value and range; once filled it takes the range of
// its key in the settings range table.
template <typename R>
constexpr SettingRow<R> FieldRow(int id, K kind, const char* key, int R::*field, int initial, int minimum,
                                 int maximum, unsigned flags = kNoFlags) {
    return {{id, kind, key, initial, minimum, maximum, flags}, field};
}

using Z = VKLZSettings;
constexpr std::array<SettingRow<Z>, 13> kVklzRows{{
    UnitRow<Z>(1564),
    ListRow(1565, "PrintType", &Z::PrintType),
    ListRow(1566, "PaperType", &Z::PaperType, kPaperType),
    FieldRow(1567, K::Length, "PaperHeight", &Z::PaperHeight, 800, 1, 32000, kPaperHeight),
    FieldRow(1568, K::Length, "PaperWidth", &Z::PaperWidth, 800, 0, 65535),
    ListRow(1569, "PrintDrection", &Z::PrintDrection),
    ListRow(1570, "PrintSpeed", &Z::PrintSpeed),
    FieldRow(1015, K::Number, "PrintDarkness", &Z::PrintDarkness, 13, 0, 15),
    ListRow(1018, "OutPaperType", &Z::OutPaperType),
    FieldRow(1571, K::Length, "TearPaperPosition", &Z::TearPaperPosition, 0, -120, 120),
    FieldRow(1572, K::Length, "HoriPrintPositionOffset", &Z::HoriPrintPositionOffset, 0, -9999, 9999),
    FieldRow(1573, K::Length, "VertPrintPositionOffset", &Z::VertPrintPositionOffset, 0, -120, 120),
    CheckRow(1040, "MirrorPrint", &Z::MirrorPrint),
}};

constexpr PrinterSetBlueprint kVklzBlueprint{
    .instruction = INSTRUCTION_VKLZ,
    .element = "VKLZPrinterSetDlg",
    .readId = 1574,
    .applyId = 1575,
    .saveId = 1576,
    .loadId = 1577,
    .versionId = 1190,
    .clockCheckId = 1035,
    .clockNowId = 1192,
    .clockSetId = 1193,
    .clockFieldId = 1191,
};

using E = VKLESettings;
constexpr std::array<SettingRow<E>, 11> kVkleRows{{
    UnitRow<E>(1543),
    ListRow(1544, "PrintType", &E::PrintType),
    ListRow(1545, "PaperType", &E::PaperType, kPaperType),
    FieldRow(1546, K::Length, "PaperHeight", &E::PaperHeight, 100, 0, 65535, kPaperHeight),
    FieldRow(1547, K::Length, "PaperWidth", &E::PaperWidth, 100, 1, 65535),
    FieldRow(1548, K::Length, "GapHeight", &E::GapHeight, 16, 16, 240, kStartsDisabled | kGap),
    ListRow(1549, "PrintDrection", &E::PrintDrection),
    ListRow(1550, "PrintSpeed", &E::PrintSpeed),
    FieldRow(1017, K::Number, "PrintDarkness", &E::PrintDarkness, 13, 0, 15),
    ListRow(1551, "OutPaperType", &E::OutPaperType),
    CodePageRow<E>(1023),
}};

constexpr PrinterSetBlueprint kVkleBlueprint{
    .instruction = INSTRUCTION_VKLE,
    .element = "VKLEPrinterSetDlg",
    .readId = 1539,
    .applyId = 1540,
    .saveId = 1541,
    .loadId = 1542,
    .versionId = 1190,
    .clockCheckId = 1536,
    .clockNowId = 1537,
    .clockSetId = 1538,
    .clockFieldId = 1552,
};

using T = VKLTSettings;
constexpr std::array<SettingRow<T>, 16> kVkltRows{{
    UnitRow<T>(1606),
    ListRow(1011, "PrintType", &T::PrintType),
    ListRow(1607, "PaperType", &T::PaperType, kPaperType),
    FieldRow(1608, K::Length, "PaperHeight", &T::PaperHeight, 800, 0, 32000, kPaperHeight),
    FieldRow(1609, K::Length, "PaperWidth", &T::PaperWidth, 800, 0, 65535),
    FieldRow(1015, K::Length, "GapHeight", &T::GapHeight, 20, 0, 65535, kGap),
    ListRow(1019, "PrintDrection", &T::PrintDrection),
    ListRow(1610, "PrintSpeed", &T::PrintSpeed),
    FieldRow(1016, K::Number, "PrintDarkness", &T::PrintDarkness, 12, 0, 15),
    ListRow(1028, "OutPaperType", &T::OutPaperType),
    ListRow(1029, "MirrorPrint", &T::MirrorPrint),
    CodePageRow<T>(1027),
    ListRow(1020, "PrintAffterError", &T::PrintAffterError),
    FieldRow(1021, K::Length, "TearPaperPosition", &T::TearPaperPosition, 0, -120, 120),
    FieldRow(1022, K::Length, "HoriPrintPositionOffset", &T::HoriPrintPositionOffset, 0, 0, 9999),
    FieldRow(1023, K::Length, "VertPrintPositionOffset", &T::VertPrintPositionOffset, 0, 0, 9999),
}};

constexpr PrinterSetBlueprint kVkltBlueprint{
    .instruction = INSTRUCTION_VKLT,
    .element = "VKLTPrinterSetDlg",
    .readId = 1031,
    .applyId = 1003,
    .saveId = 1004,
    .loadId = 1005,
    .versionId = 1630,
};

using A = VKLASettings;
constexpr std::array<SettingRow<A>, 13> kVklaRows{{
    UnitRow<A>(1521),
    ListRow(1522, "PrintType", &A::PrintType),
    ListRow(1523, "PaperType", &A::PaperType),
    FieldRow(1525, K::Length, "PaperHeight", &A::PaperHeight, 400, 1, 9999),
    FieldRow(1526, K::Length, "GapHeight", &A::GapHeight, 20, 1, 9999, kAlwaysDisabled),
    ListRow(1010, "PrintSpeed", &A::PrintSpeed, kVklaSpeed),
    FieldRow(1528, K::Number, "PrintDarkness", &A::PrintDarkness, 18, 0, 30),
    ListRow(1524, "OutPaperType", &A::OutPaperType),
    ListRow(1019, "PrintAffterError", &A::PrintAffterError),
    ListRow(1020, "CheckPaperType", &A::CheckPaperType),
    FieldRow(1529, K::Length, "TearPaperPosition", &A::TearPaperPosition, 0, -99, 99, kVklaOffset),
    FieldRow(1530, K::Length, "HoriPrintPositionOffset", &A::HoriPrintPositionOffset, 0, -99, 99,
             kVklaOffset),
    FieldRow(1531, K::Length, "VertPrintPositionOffset", &A::VertPrintPositionOffset, 0, -999, 999,
             kVklaOffset),
}};

constexpr PrinterSetBlueprint kVklaBlueprint{
    .instruction = INSTRUCTION_VKLA,
    .element = "VKLAPrinterSetDlg",
    .readId = 1532,
    .applyId = 1533,
    .saveId = 1534,
    .loadId = 1535,
    .versionId = 1184,
    .applyMessage = "RebootEffective",
    .saveMessage = nullptr,
    .unitListReversed = true,
    .unitFromRecord = true,
};

using C = VKLCSettings;
constexpr std::array<SettingRow<C>, 6> kVklcRows{{
    UnitRow<C>(1029),
    ListRow(1012, "PaperType", &C::PaperType),
    FieldRow(1030, K::Length, "PaperHeight", &C::PaperHeight, 400, 1, 9999),
    FieldRow(1014, K::Length, "PaperWidth", &C::PaperWidth, 400, 1, 9999),
    ListRow(1016, "PrintSpeed", &C::PrintSpeed),
    FieldRow(1015, K::Number, "PrintDarkness", &C::PrintDarkness, 13, 0, 30),
}};

constexpr PrinterSetBlueprint kVklcBlueprint{
    .instruction = INSTRUCTION_VKLC,
    .element = "VKLCPrinterSetDlg",
    .readId = 1585,
    .applyId = 1586,
    .saveId = 1587,
    .loadId = 1588,
    .versionId = 1631,
};

} // namespace

CVKLZPrinterSetDlg::CVKLZPrinterSetDlg(QWidget* parent)
    : CTypedPrinterSetScreen(kVklzBlueprint, kVklzRows, parent) {}
CVKLEPrinterSetDlg::CVKLEPrinterSetDlg(QWidget* parent)
    : CTypedPrinterSetScreen(kVkleBlueprint, kVkleRows, parent) {}
CVKLTPrinterSetDlg::CVKLTPrinterSetDlg(QWidget* parent)
    : CTypedPrinterSetScreen(kVkltBlueprint, kVkltRows, parent) {}
CVKLAPrinterSetDlg::CVKLAPrinterSetDlg(QWidget* parent)
    : CTypedPrinterSetScreen(kVklaBlueprint, kVklaRows, parent) {}
CVKLCPrinterSetDlg::CVKLCPrinterSetDlg(QWidget* parent)
    : CTypedPrinterSetScreen(kVklcBlueprint, kVklcRows, parent) {}

} // namespace quillory
