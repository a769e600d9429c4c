#pragma once

#include "app/ActivityLog.h"
#include "app/ui/Messages.h"
#include "port/PortInfo.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class QAbstractButton;

namespace quillory {

// Dynamic property that names a page or dialog in the activity log; the main window sets it on
// its pages (to the caption of the page's menu button) and on the dialogs it opens.
inline constexpr const char* kActivityPageProperty = "quilloryActivityPage";

// The name of the page or dialog a widget belongs to: the first activity-page name among the
// widget and its parents within its window, else the title of the window.
[[nodiscard]] QString ActivityPageOf(const QWidget* widget);
// A caption as a log names it: mnemonic marks removed ("&Open" is "Open", "&&" is "&"); an "&"
// before a space is a word ("Fonts & images").
[[nodiscard]] QString PlainCaption(const QString& caption);

// Whether an outcome also opens a message box or only goes to the activity log (for outcomes
// the operator sees anyway, or that would interrupt a routine action).
enum class Notify { Box, LogOnly };

// One operation the operator started on a screen, named when it starts: its outcome goes to the
// activity log and, unless LogOnly, into a message box over the screen. Cheap to copy, so a
// worker's completion can carry it.
//
//     const COperation op(this, m_read, port);
//     m_exchange.Start([=] { return instruction->ReadSettings(port); }, [this, op, language](int code) {
//         if (code != 0)
//             return op.CommFailed(code, language);
//         op.Succeeded("ReadPrinterSuccess", language);
//     });
class COperation {
public:
    COperation(QWidget* origin, const QString& name);
    COperation(QWidget* origin, const QString& name, const tagPORTINFO& port);
    // Named after the button's caption.
    COperation(QWidget* origin, const QAbstractButton* button);
    COperation(QWidget* origin, const QAbstractButton* button, const tagPORTINFO& port);

    // The message of a language-file key; detail (a path, say) follows it in the box and the log.
    void Succeeded(const char* key, int language, Notify notify = Notify::Box) const;
    void Succeeded(const char* key, int language, const QString& detail, Notify notify = Notify::Box) const;
    void SucceededWith(const QString& message, const QString& detail = {}, Notify notify = Notify::Box) const;
    void Failed(const char* key, int language, Notify notify) const;
    void Failed(const char* key, int language, const QString& detail = {}, Notify notify = Notify::Box) const;
    void FailedWith(const QString& message, const QString& detail = {}, Notify notify = Notify::Box) const;
    // The message of a communication error code (as ShowCommError shows it).
    void CommFailed(int code, int language, const QString& detail = {}, Notify notify = Notify::Box) const;

    [[nodiscard]] const QString& Page() const { return m_page; }
    [[nodiscard]] const QString& Name() const { return m_name; }
    [[nodiscard]] const QString& Port() const { return m_port; }

private:
    void Report(ActivityResult result, const QString& message, const QString& detail, MessageIcon icon,
                Notify notify) const;

    QPointer<QWidget> m_origin;
    QString m_page;
    QString m_name;
    QString m_port;
};

} // namespace quillory
