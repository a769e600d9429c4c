#pragma once

#include <Qsci/qsciscintilla.h>

#include <QByteArray>

namespace quillory {

// One document of the debug terminal: an editor that holds the document's bytes as they are (the
// locale's 8-bit text, escapes and all), set up through the editing component's own messages. In
// hex view only hex digits and spaces can be typed.
class CScintillaWnd : public QsciScintilla {
    Q_OBJECT
public:
    explicit CScintillaWnd(QWidget* parent = nullptr);

    // The whole document as bytes, and replacing it.
    [[nodiscard]] QByteArray Bytes() const;
    void SetBytes(const QByteArray& bytes);
    // Inserts bytes at the caret and moves the caret behind them.
    void InsertAtCaret(const QByteArray& bytes);

    [[nodiscard]] bool IsHexView() const { return m_hexView; }
    void SetHexView(bool hexView) { m_hexView = hexView; }

    // Whether a typed text may go into a hex view: hex digits and spaces only. Control characters
    // (editing keys, shortcuts) are not typed text and always pass.
    [[nodiscard]] static bool HexViewAccepts(const QString& typed);
    // The editor font: "System" where such a family exists, otherwise a monospace one that does.
    [[nodiscard]] static QByteArray EditorFontName();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    // A right click does nothing: no menu, no caret move.
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool m_hexView = false;
};

} // namespace quillory
