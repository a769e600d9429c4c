#include "app/ui/Messages.h"

#include "app/LanguageTexts.h"

#include <QApplication>
#include <QMessageBox>
#include <QMutex>
#include <QThread>

namespace quillory {
namespace {

QMutex gHookMutex;
MessageHook gHook;

MessageHook CurrentHook() {
    QMutexLocker lock(&gHookMutex);
    return gHook;
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

void ShowOnThisThread(const ShownMessage& message) {
    if (const MessageHook hook = CurrentHook()) {
        hook(message);
        return;
    }
    QMessageBox box(BoxIcon(message.icon), QStringLiteral("Quillory"), message.text, QMessageBox::Ok,
                    message.parent.data());
    if (!message.detail.isEmpty())
        box.setInformativeText(message.detail);
    box.exec();
}

} // namespace

void ShowMessage(const QString& text, MessageIcon icon, QWidget* parent) {
    ShowMessage(text, QString(), icon, parent);
}

void ShowMessage(const QString& text, const QString& detail, MessageIcon icon, QWidget* parent) {
    const ShownMessage message{text, icon, parent, detail};
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) {
        QMetaObject::invokeMethod(
            app, [message] { ShowOnThisThread(message); }, Qt::BlockingQueuedConnection);
        return;
    }
    ShowOnThisThread(message);
}

void ShowMessageKey(const char* key, int languageIndex, QWidget* parent, MessageIcon icon) {
    ShowMessage(GetMessageText(key, languageIndex), icon, parent);
}

const char* CommErrorShownKey(int code) {
    const char* key = CommErrorMessageKey(code);
    return key ? key : "CommunicationFail";
}

void ShowCommError(int code, int languageIndex, QWidget* parent) {
    ShowMessageKey(CommErrorShownKey(code), languageIndex, parent, MessageIcon::Warning);
}

MessageHook SetMessageHook(MessageHook hook) {
    QMutexLocker lock(&gHookMutex);
    std::swap(gHook, hook);
    return hook;
}

CMessageCapture::CMessageCapture() {
    m_previous = SetMessageHook([this](const ShownMessage& message) { m_messages << message; });
}

CMessageCapture::~CMessageCapture() {
    SetMessageHook(std::move(m_previous));
}

QStringList CMessageCapture::Texts() const {
    QStringList texts;
    for (const ShownMessage& message : m_messages)
        texts << message.text;
    return texts;
}

} // namespace quillory
