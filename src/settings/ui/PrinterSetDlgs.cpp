#include "settings/ui/PrinterSetDlgs.h"

#include "app/AppSettings.h"

namespace quillory {
namespace {

using K = SettingKind;

template <typename R>
constexpr SettingRow<R> ListRow(int id, int R::*field, unsigned flags = kNoFlags) {
    return {{id, K::List, 0, 0, 0, 0, 0, flags}, field};
}
template <typename R>
constexpr SettingRow<R> UnitRow(int id) {
    return {{id, K::UnitList}, &R::Unit};
}
template <typename R>
constexpr SettingRow<R> CodePageRow(int id) {
    return {{id, K::CodePage}, &R::CodePage};
}
template <typename R>
constexpr SettingRow<R> CheckRow(int id, int R::*field) {
    return {{id, K::Check}, field};
}
// A length or number field: initial value and range, then the range once filled.
template <typename R>
constexpr SettingRow<R> FieldRow(int id, K kind, int R::*field, int initial, int minimum, int maximum,
                                 int filledMinimum, int filledMaximum, unsigned flags = kNoFlags) {
    return {{id, kind, initial, minimum, maximum, filledMinimum, filledMaximum, flags}, field};
}
// A field whose range stays the same after a fill.
template <typename R>
constexpr SettingRow<R> FieldRow(int id, K kind, int R::*field, int initial, int minimum, int maximum,
                                 unsigned flags = kNoFlags) {
    return FieldRow(id, kind, field, initial, minimum, maximum, minimum, maximum, flags);
}

using Z = VKLZSettings;
constexpr std::array<SettingRow<Z>, 13> kVklzRows{{
    UnitRow<Z>(1564),
    ListRow(1565, &Z::PrintType),
    ListRow(1566, &Z::PaperType, kPaperType),
    FieldRow(1567, K::Length, &Z::PaperHeight, 800, 1, 32000, 0, 65535, kPaperHeight),
    FieldRow(1568, K::Length, &Z::PaperWidth, 800, 0, 65535),
    ListRow(1569, &Z::PrintDrection),
    ListRow(1570, &Z::PrintSpeed),
    FieldRow(1015, K::Number, &Z::PrintDarkness, 13, 0, 15, 0, 30),
    ListRow(1018, &Z::OutPaperType),
    FieldRow(1571, K::Length, &Z::TearPaperPosition, 0, -120, 120),
    FieldRow(1572, K::Length, &Z::HoriPrintPositionOffset, 0, -9999, 9999),
    FieldRow(1573, K::Length, &Z::VertPrintPositionOffset, 0, -120, 120),
    CheckRow(1040, &Z::MirrorPrint),
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
    .clockSuffix = ",M",
};

using E = VKLESettings;
constexpr std::array<SettingRow<E>, 11> kVkleRows{{
    UnitRow<E>(1543),
    ListRow(1544, &E::PrintType),
    ListRow(1545, &E::PaperType, kPaperType),
    FieldRow(1546, K::Length, &E::PaperHeight, 100, 0, 65535, kPaperHeight),
    FieldRow(1547, K::Length, &E::PaperWidth, 100, 1, 65535, 0, 65535),
    FieldRow(1548, K::Length, &E::GapHeight, 16, 16, 240, kStartsDisabled | kGap | kGapRangeByDpi),
    ListRow(1549, &E::PrintDrection),
    ListRow(1550, &E::PrintSpeed),
    FieldRow(1017, K::Number, &E::PrintDarkness, 13, 0, 15),
    ListRow(1551, &E::OutPaperType),
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
    ListRow(1011, &T::PrintType),
    ListRow(1607, &T::PaperType, kPaperType),
    FieldRow(1608, K::Length, &T::PaperHeight, 800, 0, 32000, 0, 65535, kPaperHeight),
    FieldRow(1609, K::Length, &T::PaperWidth, 800, 0, 65535),
    FieldRow(1015, K::Length, &T::GapHeight, 20, 0, 65535, kGap),
    ListRow(1019, &T::PrintDrection),
    ListRow(1610, &T::PrintSpeed),
    FieldRow(1016, K::Number, &T::PrintDarkness, 12, 0, 15, 0, 65535),
    ListRow(1028, &T::OutPaperType),
    ListRow(1029, &T::MirrorPrint),
    CodePageRow<T>(1027),
    ListRow(1020, &T::PrintAffterError),
    FieldRow(1021, K::Length, &T::TearPaperPosition, 0, -120, 120),
    FieldRow(1022, K::Length, &T::HoriPrintPositionOffset, 0, 0, 9999),
    FieldRow(1023, K::Length, &T::VertPrintPositionOffset, 0, 0, 9999),
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
    ListRow(1522, &A::PrintType),
    ListRow(1523, &A::PaperType),
    FieldRow(1525, K::Length, &A::PaperHeight, 400, 1, 9999),
    FieldRow(1526, K::Length, &A::GapHeight, 20, 1, 9999, kAlwaysDisabled),
    ListRow(1010, &A::PrintSpeed, kVklaSpeed),
    FieldRow(1528, K::Number, &A::PrintDarkness, 18, 0, 30),
    ListRow(1524, &A::OutPaperType),
    ListRow(1019, &A::PrintAffterError),
    ListRow(1020, &A::CheckPaperType),
    FieldRow(1529, K::Length, &A::TearPaperPosition, 0, -99, 99, kVklaOffset),
    FieldRow(1530, K::Length, &A::HoriPrintPositionOffset, 0, -99, 99, kVklaOffset),
    FieldRow(1531, K::Length, &A::VertPrintPositionOffset, 0, -999, 999, kVklaOffset),
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
    ListRow(1012, &C::PaperType),
    FieldRow(1030, K::Length, &C::PaperHeight, 400, 1, 9999, 0, 65535),
    FieldRow(1014, K::Length, &C::PaperWidth, 400, 1, 9999, 0, 65535),
    ListRow(1016, &C::PrintSpeed),
    FieldRow(1015, K::Number, &C::PrintDarkness, 13, 0, 30, 0, 65535),
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
