#include "tools/ui/ScintillaWnd.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace quillory {
namespace {

constexpr unsigned long kDefaultStyle = QsciScintillaBase::STYLE_DEFAULT; // 32
constexpr long kWhite = 0xFFFFFF;
constexpr long kFontSize = 10;

bool IsHexOrSpace(QChar c) {
    return c == QLatin1Char(' ') || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

} // namespace

CScintillaWnd::CScintillaWnd(QWidget* parent) : QsciScintilla(parent) {
    // The locale's 8-bit encoding is UTF-8; the document keeps whatever bytes it is given.
    SendScintilla(SCI_SETCODEPAGE, static_cast<unsigned long>(SC_CP_UTF8));

    const QByteArray font = EditorFontName();
    SendScintilla(SCI_STYLESETBACK, kDefaultStyle, kWhite);
    SendScintilla(SCI_STYLESETSIZE, kDefaultStyle, kFontSize);
    SendScintilla(SCI_STYLESETFONT, kDefaultStyle, font.constData());
    // Give the text styles the default style's look as well, not only the empty area.
    SendScintilla(SCI_STYLECLEARALL);
    SendScintilla(SCI_SETMARGINTYPEN, 0ul, static_cast<long>(SC_MARGIN_SYMBOL));
    SendScintilla(SCI_SETMARGINWIDTHN, 0ul, 9l);
    SendScintilla(SCI_SETMARGINSENSITIVEN, 0ul, 1l);
    SendScintilla(SCI_SETMARGINTYPEN, 1ul, static_cast<long>(SC_MARGIN_NUMBER));
    SendScintilla(SCI_SETMARGINWIDTHN, 1ul, 18l);
    // A horizontal scroll bar only once a line is wider than the window.
    SendScintilla(SCI_SETSCROLLWIDTH, 1ul);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1ul);
}

QByteArray CScintillaWnd::Bytes() const {
    const long length = SendScintilla(SCI_GETLENGTH);
    QByteArray bytes(length + 1, '\0');
    SendScintilla(SCI_GETTEXT, static_cast<unsigned long>(length + 1), static_cast<void*>(bytes.data()));
    bytes.truncate(length);
    return bytes;
}

void CScintillaWnd::SetBytes(const QByteArray& bytes) {
    SendScintilla(SCI_CLEARALL);
    InsertAtCaret(bytes);
}

void CScintillaWnd::InsertAtCaret(const QByteArray& bytes) {
    if (!bytes.isEmpty())
        SendScintilla(SCI_ADDTEXT, static_cast<uintptr_t>(bytes.size()), bytes.constData());
}

bool CScintillaWnd::HexViewAccepts(const QString& typed) {
    for (const QChar c : typed) {
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F && !IsHexOrSpace(c))
            return false;
    }
    return true;
}

QByteArray CScintillaWnd::EditorFontName() {
    const QStringList families = QFontDatabase::families();
    if (families.contains(QStringLiteral("System")))
        return QByteArrayLiteral("System");
    const QString fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    if (families.contains(fixed))
        return fixed.toUtf8();
    for (const QString& family : families) {
        if (QFontDatabase::isFixedPitch(family))
            return family.toUtf8();
    }
    return QByteArrayLiteral("monospace");
}

void CScintillaWnd::keyPressEvent(QKeyEvent* event) {
    if (m_hexView && !HexViewAccepts(event->text())) {
        event->accept();
        return;
    }
    QsciScintilla::keyPressEvent(event);
}

void CScintillaWnd::inputMethodEvent(QInputMethodEvent* event) {
    if (m_hexView && !HexViewAccepts(event->commitString())) {
        // Keep the hex characters of a composed text and drop the rest.
        QString kept;
        for (const QChar c : event->commitString()) {
            if (HexViewAccepts(QString(c)))
                kept += c;
        }
        QInputMethodEvent filtered(event->preeditString(), event->attributes());
        filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
        QsciScintilla::inputMethodEvent(&filtered);
        event->accept();
        return;
    }
    QsciScintilla::inputMethodEvent(event);
}

void CScintillaWnd::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
}

void CScintillaWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QsciScintilla::mousePressEvent(event);
}

} // namespace quillory
