#include "tools/ui/TabEdit.h"

#include "tools/DebugCodecs.h"
#include "tools/ui/ScintillaWnd.h"

#include <QTabBar>

#include <atomic>

namespace quillory {
namespace {

// "new %d": one counter for the whole run, however many editors there are.
std::atomic<int> g_newDocumentCounter{0};

} // namespace

CTabEdit::CTabEdit(QWidget* parent) : QTabWidget(parent) {
    setTabPosition(QTabWidget::North);
    setDocumentMode(false);
    tabBar()->setSelectionBehaviorOnRemove(QTabBar::SelectRightTab);
    tabBar()->setExpanding(false);
    setUsesScrollButtons(true);
}

int CTabEdit::AddDocument(const QString& title, const QByteArray& bytes) {
    auto* document = new CScintillaWnd(this);
    document->SetBytes(bytes);
    document->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    const int index = addTab(document, title);
    setCurrentIndex(index);
    return index;
}

int CTabEdit::AddNewDocument() {
    const int number = ++g_newDocumentCounter;
    return AddDocument(QString::asprintf("new %d", number));
}

bool CTabEdit::CloseCurrent() {
    if (count() <= 1)
        return false;
    QWidget* document = currentWidget();
    removeTab(currentIndex());
    delete document;
    return true;
}

CScintillaWnd* CTabEdit::Document(int index) const {
    return qobject_cast<CScintillaWnd*>(widget(index));
}

bool CTabEdit::IsHexView(int index) const {
    const CScintillaWnd* document = Document(index);
    return document && document->IsHexView();
}

QByteArray CTabEdit::CurrentBytes() const {
    const CScintillaWnd* document = CurrentDocument();
    return document ? document->Bytes() : QByteArray();
}

void CTabEdit::SetCurrentHexView(bool hexView) {
    CScintillaWnd* document = CurrentDocument();
    if (!document || document->IsHexView() == hexView)
        return;
    const QByteArray bytes = document->Bytes();
    document->SetBytes(hexView ? TextViewToHexView(bytes) : HexViewToTextView(bytes));
    // Undoing into the other view's text would leave the document in the wrong view.
    document->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    document->SetHexView(hexView);
}

void CTabEdit::InsertByte(unsigned char byte) {
    CScintillaWnd* document = CurrentDocument();
    if (!document)
        return;
    const QByteArray digits = QByteArray::number(byte, 16).rightJustified(2, '0');
    // A hex token carries its space, so that it stays apart from the token that follows it.
    document->InsertAtCaret(document->IsHexView() ? digits + ' ' : "<\\x" + digits + '>');
    document->setFocus();
}

} // namespace quillory
