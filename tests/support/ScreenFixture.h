#pragma once

#include "app/AppSettings.h"
#include "app/ui/ControlRegistry.h"
#include "app/ui/FileDialogs.h"
#include "app/ui/Messages.h"
#include "port/PortInfo.h"
#include "sim/VirtualPrinter.h"
#include "support/TestEnvironment.h"
#include "support/UiWait.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <functional>

namespace quillory::test {

// Pairs of visible controls of a screen that overlap each other: a layout that does not fit
// draws one control over another.
inline QStringList OverlappingControls(const CControlRegistry& screen) {
    QStringList overlaps;
    const QList<int> ids = screen.ControlIds();
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const QWidget* a = screen.Control(ids[i]);
        for (qsizetype j = i + 1; j < ids.size(); ++j) {
            const QWidget* b = screen.Control(ids[j]);
            if (a->isVisible() && b->isVisible() && a->parentWidget() == b->parentWidget() &&
                a->geometry().intersects(b->geometry()))
                overlaps << QStringLiteral("%1/%2").arg(ids[i]).arg(ids[j]);
        }
    }
    return overlaps;
}

// A private environment whose saved port is a virtual printer of one language on 127.0.0.1,
// with that language and English texts chosen.
class PrinterWorld {
public:
    explicit PrinterWorld(int instruction) : printer(instruction) {
        InitUserSettings();
        WriteInstruction(instruction);
        WriteLanguage(LANGUAGE_ENGLISH);
        WriteWizard(0);
        EXPECT_TRUE(printer.StartTcp());
        tagPORTINFO port = MakePortInfo(PORT_NET);
        SetPortText(port.netAddress, QStringLiteral("127.0.0.1"));
        port.netPort = printer.TcpPort();
        WritePortInfo(port);
    }

    TempEnvironment env;
    sim::VirtualPrinter printer;
};

// Answers every file dialog with path (an empty path cancels) while it lives.
class FileDialogAnswer {
public:
    explicit FileDialogAnswer(QString path) : m_path(std::move(path)) {
        m_previous = SetFileDialogHook([this](const FileDialogRequest& request) {
            requests << request;
            return m_path;
        });
    }
    ~FileDialogAnswer() { SetFileDialogHook(std::move(m_previous)); }
    FileDialogAnswer(const FileDialogAnswer&) = delete;
    FileDialogAnswer& operator=(const FileDialogAnswer&) = delete;

    QList<FileDialogRequest> requests;

private:
    QString m_path;
    FileDialogHook m_previous;
};

// Answers every question with answer while it lives and keeps the questions asked.
class ConfirmationAnswer {
public:
    explicit ConfirmationAnswer(ConfirmAnswer answer) : m_answer(answer) {
        m_previous = SetConfirmHook([this](const Confirmation& question) {
            questions << question;
            return m_answer;
        });
    }
    ~ConfirmationAnswer() { SetConfirmHook(std::move(m_previous)); }
    ConfirmationAnswer(const ConfirmationAnswer&) = delete;
    ConfirmationAnswer& operator=(const ConfirmationAnswer&) = delete;

    QList<Confirmation> questions;

private:
    ConfirmAnswer m_answer;
    ConfirmHook m_previous;
};

} // namespace quillory::test
