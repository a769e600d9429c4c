#pragma once

#include "port/PortInfo.h"

#include <QRect>

#include <array>

class QWidget;

namespace quillory {

class CPortSubPage;

// Sub-page indices, also the positions of the port-type lists.
enum PortSubPageIndex : int {
    SUBPAGE_COM = 0,
    SUBPAGE_LPT = 1,
    SUBPAGE_USB = 2,
    SUBPAGE_NET = 3,
    SUBPAGE_DRIVER = 4,
};
inline constexpr int kPortSubPageCount = 5;

// The sub-page that shows a saved port type: 3 and 4 USB, 6 driver, 7 network; anything else
// the serial one. In driver mode only the driver sub-page is ever shown.
[[nodiscard]] int SubPageForPortType(std::int32_t portType, bool driverMode);
// ReadCommMode() == 1.
[[nodiscard]] bool IsDriverMode();
// A network port whose address was left empty: nothing could be reached through it.
[[nodiscard]] bool IsAddressMissing(const tagPORTINFO& info);

// The five port sub-pages of the port page or the wizard, all in one rectangle of their host,
// one in view at a time.
class CPortSubPages {
public:
    CPortSubPages() = default;
    CPortSubPages(const CPortSubPages&) = delete;
    CPortSubPages& operator=(const CPortSubPages&) = delete;

    // Creates the sub-pages as hidden children of host in area, with the texts of language.
    void Create(QWidget* host, const QRect& area, int languageIndex);
    [[nodiscard]] bool IsCreated() const { return m_pages[0] != nullptr; }

    // Shows sub-page index (filling its printer list when it is empty, unless fill is false)
    // and hides the others.
    void Show(int index, bool fill = true);
    void HideAll();
    [[nodiscard]] int InView() const { return m_inView; }
    [[nodiscard]] CPortSubPage* Page(int index) const;

    // Applies the texts of the sub-page in view again.
    void ApplyTextsInView(int languageIndex);
    void ApplyTexts(int languageIndex);

    // The description of the sub-page in view (the serial sub-page when none is).
    [[nodiscard]] tagPORTINFO Build() const;
    // Shows the sub-page of a saved description with the description in it; returns its index.
    int ShowSaved(const tagPORTINFO& info, bool driverMode);
    // Puts the keyboard focus into the address field of the sub-page in view, if it has one.
    void FocusAddress();

private:
    std::array<CPortSubPage*, kPortSubPageCount> m_pages{};
    int m_inView = -1;
};

} // namespace quillory
