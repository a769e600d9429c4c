#include "app/ui/Activity.h"

#include "port/Communication.h"

#include "app/LanguageTexts.h"

#include <QAbstractButton>
#include <QVariant>

namespace quillory {

QString ActivityPageOf(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QString name = w->property(kActivityPageProperty).toString();
        if (!name.isEmpty())
            return name;
        if (w->isWindow())
            return w->windowTitle();
    }
    return {};
}

QString PlainCaption(const QString& caption) {
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const bool last = i + 1 == caption.size();
        if (caption[i] != QLatin1Char('&') || last || caption[i + 1].isSpace()) {
            // Also an "&" that marks no letter ("Fonts & images"): it is a word of the caption.
            plain += caption[i];
        } else if (caption[i + 1] == QLatin1Char('&')) {
            plain += QLatin1Char('&');
            ++i;
        }
    }
    return plain;
}

COperation::COperation(QWidget* origin, const QString& name)
    : m_origin(origin), m_page(ActivityPageOf(origin)), m_name(PlainCaption(name)) {}

COperation::COperation(QWidget* origin, const QString& name, const tagPORTINFO& port)
    : COperation(origin, name) {
    m_port = DescribePort(port);
}

COperation::COperation(QWidget* origin, const QAbstractButton* button)
    : COperation(origin, button ? button->text() : QString()) {}

COperation::COperation(QWidget* origin, const QAbstractButton* button, const tagPORTINFO& port)
    : COperation(origin, button ? button->text() : QString(), port) {}

void COperation::Succeeded(const char* key, int language, Notify notify) const {
    SucceededWith(GetMessageText(key, language), {}, notify);
}

void COperation::Succeeded(const char* key, int language, const QString& detail, Notify notify) const {
    SucceededWith(GetMessageText(key, language), detail, notify);
}

void COperation::SucceededWith(const QString& message, const QString& detail, Notify notify) const {
    Report(ActivityResult::Success, message, detail, MessageIcon::Information, notify);
}

void COperation::Failed(const char* key, int language, Notify notify) const {
    Failed(key, language, {}, notify);
}

void COperation::Failed(const char* key, int language, const QString& detail, Notify notify) const {
    FailedWith(GetMessageText(key, language), detail, notify);
}

void COperation::FailedWith(const QString& message, const QString& detail, Notify notify) const {
    Report(ActivityResult::Failure, message, detail, MessageIcon::Warning, notify);
}

void COperation::CommFailed(int code, int language, const QString& detail, Notify notify) const {
    // Without a detail of its own, the failure says what the operation's exchange noted: the
    // port and the cause ("127.0.0.1:9100: Connection refused").
    FailedWith(GetMessageText(CommErrorShownKey(code), language),
               detail.isEmpty() ? LastCommunicationFailure() : detail, notify);
}

void COperation::Report(ActivityResult result, const QString& message, const QString& detail,
                        MessageIcon icon, Notify notify) const {
    // The log first: the activity line already tells the outcome while the box is open.
    CActivityLog::Instance().Add(
        {QDateTime::currentDateTime(), m_page, m_name, m_port, result, message, detail});
    if (notify == Notify::Box)
        ShowMessage(message, detail, icon, m_origin.data());
}

} // namespace quillory
