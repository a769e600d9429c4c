#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QMessageBox;

namespace quillory {

enum class MessageIcon {
    Information,
    Warning,
    Error,
};

// One message box as it is (or would be) shown: every box of the program passes through
// ShowMessage, so a test can capture them all instead of blocking on a modal box.
struct ShownMessage {
    QString text;
    MessageIcon icon = MessageIcon::Information;
    QPointer<QWidget> parent;
    QString detail; // shown below the text when not empty (a path and its cause, say)
};

// Shows text in a modal box titled "Quillory" with one OK button. May be called from a worker
// thread: the box is then shown on the user-interface thread and the call waits for it.
void ShowMessage(const QString& text, MessageIcon icon, QWidget* parent);
// The same with a detail text under the message.
void ShowMessage(const QString& text, const QString& detail, MessageIcon icon, QWidget* parent);
// Shows the text of a message key of the language file.
void ShowMessageKey(const char* key, int languageIndex, QWidget* parent,
                    MessageIcon icon = MessageIcon::Information);
// Shows the message of a communication error code. A code without a message of its own shows
// the general communication failure, so that no failure ends in an empty box.
void ShowCommError(int code, int languageIndex, QWidget* parent);
// The message key ShowCommError uses for a code.
[[nodiscard]] const char* CommErrorShownKey(int code);

// A question before something that cannot be undone. Confirm is the OK (or Yes) button, Decline
// the No button of a question that offers one, Cancel stops and sends nothing.
enum class ConfirmAnswer { Confirm, Decline, Cancel };

struct Confirmation {
    QString text;
    QPointer<QWidget> parent;
    bool withDecline = false;     // Yes, No and Cancel instead of OK and Cancel
    bool cancelIsDefault = false; // Enter cancels (factory reset)
};

// Asks in a modal box titled "Quillory" (user-interface thread only).
[[nodiscard]] ConfirmAnswer AskConfirmation(const Confirmation& question);
// The box AskConfirmation shows, not yet shown (screenshots).
[[nodiscard]] QMessageBox* MakeConfirmationBox(const Confirmation& question);

// Test hook: while set, questions go to hook instead of a box. Returns the previous hook.
using ConfirmHook = std::function<ConfirmAnswer(const Confirmation&)>;
ConfirmHook SetConfirmHook(ConfirmHook hook);

// Test hook: while set, messages go to hook instead of a box. Returns the previous hook.
using MessageHook = std::function<void(const ShownMessage&)>;
MessageHook SetMessageHook(MessageHook hook);

// Captures every message while it lives (tests).
class CMessageCapture {
public:
    CMessageCapture();
    ~CMessageCapture();
    CMessageCapture(const CMessageCapture&) = delete;
    CMessageCapture& operator=(const CMessageCapture&) = delete;

    [[nodiscard]] const QList<ShownMessage>& Messages() const { return m_messages; }
    [[nodiscard]] QStringList Texts() const;
    void Clear() { m_messages.clear(); }

private:
    QList<ShownMessage> m_messages;
    MessageHook m_previous;
};

} // namespace quillory
