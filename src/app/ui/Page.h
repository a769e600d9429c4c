#pragma once

#include "app/ui/ScreenBase.h"

namespace quillory {

// Page slots of the main window, all shown in the same rectangle.
enum PageIndex : int {
    PAGE_PORT = 0,             // port and command set
    PAGE_PRINTER_SETTINGS = 1, // host of the print-settings screens
    PAGE_TOOLS = 2,            // quick operations
    PAGE_NETWORK = 3,          // network settings
    PAGE_DEBUG = 4,            // debug terminal
    PAGE_EEPROM = 5,           // host of the EEPROM screens
    PAGE_LOGO = 6,             // LCD logo
};
inline constexpr int kPageCount = 7;

// One of the seven pages of the main window. The window creates every page once, applies its
// texts (ApplyLanguage) and brings it into view through the hooks below. A slot whose page is
// not built holds a plain CPage, which shows nothing.
class CPage : public CScreenBase {
    Q_OBJECT
public:
    explicit CPage(const char* element = nullptr, QWidget* parent = nullptr);

    // Runs when the page is brought into view from another page, before it is shown: refresh
    // what it shows from the settings file.
    virtual void PageShown();
    // Load the saved command language and port into the page again (the window calls it on the
    // port page after the wizard).
    virtual void ReloadSettings();

signals:
    // Asks the main window to run one of its commands as if its button had been pressed, e.g.
    // the port page asks for 1141 (printer settings) after a port was confirmed.
    void commandRequested(int commandId);
};

} // namespace quillory
