#pragma once

#include "app/AppSettings.h"
#include "app/ui/FileDialogs.h"
#include "controls/PaperNunberEditEx.h"
#include "port/PortInfo.h"
#include "sim/VirtualPrinter.h"
#include "support/TestEnvironment.h"
#include "support/UiWait.h"
#include "tools/ui/DebugDlg.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace quillory::test {

// A loopback port on which nobody listens.
inline std::uint16_t DeadPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// Answers every file dialog with path while it lives, and keeps what was asked.
class AnswerFileDialogs {
public:
    explicit AnswerFileDialogs(const QString& path)
        : m_previous(SetFileDialogHook([this, path](const FileDialogRequest& request) {
              requests << request;
              return path;
          })) {}
    ~AnswerFileDialogs() { SetFileDialogHook(m_previous); }
    AnswerFileDialogs(const AnswerFileDialogs&) = delete;
    AnswerFileDialogs& operator=(const AnswerFileDialogs&) = delete;
    QList<FileDialogRequest> requests;

private:
    FileDialogHook m_previous;
};

// A printer that never stops talking: every connection gets a burst of bytes every few
// milliseconds until it is closed. Runs on its own thread.
class ChattyPrinter {
public:
    ChattyPrinter() {
        m_context.moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(
            &m_context,
            [this] {
                m_server = new QTcpServer(&m_context);
                m_server->listen(QHostAddress::LocalHost, 0);
                QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this] {
                    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
                        auto* timer = new QTimer(socket);
                        QObject::connect(timer, &QTimer::timeout, socket,
                                         [socket] { socket->write(QByteArray(200, 'z')); });
                        timer->start(5);
                    }
                });
                m_port = m_server->serverPort();
            },
            Qt::BlockingQueuedConnection);
    }
    ~ChattyPrinter() {
        QMetaObject::invokeMethod(
            &m_context, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    ChattyPrinter(const ChattyPrinter&) = delete;
    ChattyPrinter& operator=(const ChattyPrinter&) = delete;
    [[nodiscard]] std::uint16_t Port() const { return m_port; }

private:
    QThread m_thread;
    QObject m_context;
    QTcpServer* m_server = nullptr;
    std::uint16_t m_port = 0;
};

// A private environment with a virtual VKLZ printer saved as the current port.
class DebugPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(printer.StartTcp());
        UseLoopbackPrinter(printer.TcpPort());
    }

    [[nodiscard]] int Count(int id) const { return page.ControlAs<CPaperNunberEditEx>(id)->GetValue(); }
    void Click(int id) { page.ControlAs<QAbstractButton>(id)->click(); }
    bool WaitForExchange() {
        return WaitUntil([this] { return !page.IsExchangeRunning(); });
    }

    TempEnvironment env;
    sim::VirtualPrinter printer{INSTRUCTION_VKLZ};
    CDebugDlg page;
};

} // namespace quillory::test
