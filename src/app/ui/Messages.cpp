#include "app/ui/Messages.h"

#include "app/LanguageTexts.h"

#include <QApplication>
#include <QMessageBox>
#include <QMutex>
#include <QThread>

#include <memory>

namespace quillory {
namespace {

QMutex gHookMutex;
MessageHook gHook;
ConfirmHook gConfirmHook;

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

QMessageBox* MakeConfirmationBox(const Confirmation& question) {
    const QMessageBox::StandardButtons buttons =
        question.withDecline ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                             : QMessageBox::Ok | QMessageBox::Cancel;
    auto* box = new QMessageBox(QMessageBox::Question, QStringLiteral("Quillory"), question.text, buttons,
                                question.parent);
    box->setDefaultButton(question.cancelIsDefault ? QMessageBox::Cancel
                          : question.withDecline   ? QMessageBox::Yes
                                                   : QMessageBox::Ok);
    box->setEscapeButton(QMessageBox::Cancel);
    return box;
}

ConfirmAnswer AskConfirmation(const Confirmation& question) {
    ConfirmHook hook;
    {
        QMutexLocker lock(&gHookMutex);
        hook = gConfirmHook;
    }
    if (hook)
        return hook(question);
    const std::unique_ptr<QMessageBox> box(MakeConfirmationBox(question));
    switch (box->exec()) {
    case QMessageBox::Ok:
    case QMessageBox::Yes:
        return ConfirmAnswer::Confirm;
    case QMessageBox::No:
        return ConfirmAnswer::Decline;
    default:
        return ConfirmAnswer::Cancel;
    }
}

ConfirmHook SetConfirmHook(ConfirmHook hook) {
    QMutexLocker lock(&gHookMutex);
    std::swap(gConfirmHook, hook);
    return hook;
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
