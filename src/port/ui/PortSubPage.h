#pragma once

#include "app/ui/ScreenBase.h"
#include "port/PortInfo.h"

namespace quillory {

// One of the five port sub-pages of the port page and the wizard: turns its controls into a
// port description and shows a saved one.
class CPortSubPage : public CScreenBase {
    Q_OBJECT
public:
    explicit CPortSubPage(const char* element, QWidget* parent = nullptr);
    ~CPortSubPage() override;

    // Every description starts from MakePortInfo and carries only the fields of its kind.
    [[nodiscard]] virtual tagPORTINFO BuildPortInfo() const = 0;
    virtual void ShowPortInfo(const tagPORTINFO& info) = 0;
    // Runs when the sub-page comes into view: a sub-page with a list of attached printers
    // fills it when it is empty.
    virtual void FillListIfEmpty();
    // Puts the keyboard focus into the network address field, on sub-pages that have one.
    virtual void FocusAddress();

protected:
    // A sub-page lies over its host's group box or skinned background and shows it through.
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quillory
