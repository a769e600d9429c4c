#pragma once

#include "app/ui/Page.h"
#include "port/PortInfo.h"

#include <QDialog>

#include <memory>

namespace quillory {

// Where the screens built by the other subsystems plug into the main window. Each slot is one
// line of PageFactory.cpp.

// The page of a slot (PageIndex); a plain CPage while the slot's page is not built.
[[nodiscard]] CPage* CreatePage(int index, QWidget* parent);

// The screens hosted on page 1 (print settings) and page 5 (EEPROM) by command-language index;
// nullptr while a language's screen is not built.
[[nodiscard]] CScreenBase* CreatePrinterSetScreen(int instruction, QWidget* parent);
[[nodiscard]] CScreenBase* CreateEepromScreen(int instruction, QWidget* parent);

// The first-run wizard; nullptr while it is not built (the window then skips it).
[[nodiscard]] std::unique_ptr<QDialog> CreateWizardDialog(QWidget* parent);
// The file download dialog of the upgrade button, with the language index for its captions
// and the port to send to; nullptr while it is not built.
[[nodiscard]] std::unique_ptr<QDialog> CreateDownloadDialog(int language, const tagPORTINFO& port,
                                                            QWidget* parent);

} // namespace quillory
