#include "port/ui/PortSubPage.h"

namespace quillory {

CPortSubPage::CPortSubPage(const char* element, QWidget* parent) : CScreenBase(element, parent) {}

CPortSubPage::~CPortSubPage() = default;

void CPortSubPage::FillListIfEmpty() {}

void CPortSubPage::FocusAddress() {}

void CPortSubPage::paintEvent(QPaintEvent*) {}

} // namespace quillory
