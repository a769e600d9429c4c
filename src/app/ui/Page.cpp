#include "app/ui/Page.h"

namespace quillory {

CPage::CPage(const char* element, QWidget* parent) : CScreenBase(element, parent) {}

void CPage::PageShown() {}

void CPage::ReloadSettings() {}

} // namespace quillory
