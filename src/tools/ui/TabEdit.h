#pragma once

#include <QByteArray>
#include <QTabWidget>

namespace quillory {

class CScintillaWnd;

// The debug terminal's editor: a tab control whose every tab holds one document. Each document
// has a title and its hex-view flag; the current tab is the one in view. The last tab can never
// be closed.
class CTabEdit : public QTabWidget {
    Q_OBJECT
public:
    explicit CTabEdit(QWidget* parent = nullptr);

    // Adds a tab with the bytes in text view and makes it current; returns its index.
    int AddDocument(const QString& title, const QByteArray& bytes = {});
    // Adds an empty tab titled "new N", N counting up over the whole run of the program.
    int AddNewDocument();
    // Removes the current tab unless it is the only one; the tab that takes its place, or the one
    // before it when it was the last, becomes current. Returns whether a tab was removed.
    bool CloseCurrent();

    [[nodiscard]] CScintillaWnd* Document(int index) const;
    [[nodiscard]] CScintillaWnd* CurrentDocument() const { return Document(currentIndex()); }
    [[nodiscard]] bool IsHexView(int index) const;

    // The current document's bytes and view.
    [[nodiscard]] QByteArray CurrentBytes() const;
    [[nodiscard]] bool CurrentIsHexView() const { return IsHexView(currentIndex()); }
    // Switches the current document to hex view or back to text view, converting its content;
    // nothing happens when it already is in that view.
    void SetCurrentHexView(bool hexView);
    // Inserts the byte as an escape (text view) or a hex token (hex view) at the caret.
    void InsertByte(unsigned char byte);
};

} // namespace quillory
