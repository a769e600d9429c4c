#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "app/ui/BackgroundTask.h"
#include "app/ui/FileDialogs.h"
#include "app/ui/InstructionHostPage.h"
#include "app/ui/Messages.h"
#include "app/ui/ScreenBase.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSemaphore>
#include <QTabWidget>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

using namespace quillory;
using namespace quillory::test;

namespace {

void WaitUntil(const std::function<bool()>& condition, int ms = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

class SampleScreen : public CScreenBase {
public:
    explicit SampleScreen(const char* element) : CScreenBase(element) {
        AddControl(1, new QPushButton(this));
        AddControl(2, new QLabel(this));
        AddControl(3, new QCheckBox(this));
        AddControl(4, new QRadioButton(this));
        AddControl(5, new QGroupBox(this));
        AddControl(6, new QLineEdit(this));
        fixed = AddControl(7, new QComboBox(this));
        editable = AddControl(8, new QComboBox(this));
        editable->setEditable(true);
        tabs = AddControl(9, new QTabWidget(this));
        tabs->addTab(new QWidget, "a");
        tabs->addTab(new QWidget, "b");
    }
    QComboBox* fixed;
    QComboBox* editable;
    QTabWidget* tabs;
};

} // namespace

TEST(ScreenBase, LanguageTextsReachEveryKindOfControl) {
    TempEnvironment env;
    const QString file = env.Path("texts.xml");
    WriteFileBytes(file, R"(<?xml version="1.0" encoding="UTF-8"?>
<Sample title="Sample screen">
    <Button ID="1" text="Push"/>
    <Button ID="3" text="Check"/>
    <Button ID="4" text="Radio"/>
    <Button ID="5" text="Group"/>
    <Static ID="2" text="Label"/>
    <Static ID="6" text="Edit"/>
    <Static ID="8" text="typed"/>
    <Static ID="77" text="nobody"/>
    <Commbox ID="7" select="1"><I text="one"/><I text="two"/></Commbox>
    <TabCtrl ID="9"><I text="First"/><I text="Second"/><I text="Third"/></TabCtrl>
</Sample>)");
    SampleScreen screen("Sample");
    int changes = 0;
    QObject::connect(screen.fixed, &QComboBox::currentIndexChanged, [&] { ++changes; });
    ApplyScreenTextsFromFile(file, "Sample", screen);

    EXPECT_EQ(screen.windowTitle(), "Sample screen");
    EXPECT_EQ(screen.ControlAs<QPushButton>(1)->text(), "Push");
    EXPECT_EQ(screen.ControlAs<QLabel>(2)->text(), "Label");
    EXPECT_EQ(screen.ControlAs<QCheckBox>(3)->text(), "Check");
    EXPECT_EQ(screen.ControlAs<QRadioButton>(4)->text(), "Radio");
    EXPECT_EQ(screen.ControlAs<QGroupBox>(5)->title(), "Group");
    EXPECT_EQ(screen.ControlAs<QLineEdit>(6)->text(), "Edit");
    EXPECT_EQ(screen.editable->currentText(), "typed");
    EXPECT_EQ(screen.fixed->count(), 2);
    EXPECT_EQ(screen.fixed->currentText(), "two");
    EXPECT_EQ(changes, 0) << "refilling a list is no operator's choice";
    EXPECT_EQ(screen.tabs->tabText(0), "First");
    EXPECT_EQ(screen.tabs->tabText(1), "Second");
    EXPECT_EQ(screen.tabs->count(), 2);
}

TEST(ScreenBase, LookupIsTypedAndForgetsDestroyedControls) {
    SampleScreen screen(nullptr);
    EXPECT_NE(screen.ControlAs<QPushButton>(1), nullptr);
    EXPECT_EQ(screen.ControlAs<QLabel>(1), nullptr);
    EXPECT_EQ(screen.Control(42), nullptr);
    EXPECT_FALSE(screen.SetControlText(42, "x"));
    EXPECT_FALSE(screen.SetListItems(1, {"x"}, 0));
    EXPECT_FALSE(screen.SetTabCaption(9, 5, "x"));
    delete screen.Control(6);
    EXPECT_EQ(screen.Control(6), nullptr);
    EXPECT_FALSE(screen.SetControlText(6, "gone"));
    EXPECT_FALSE(screen.ControlIds().contains(6));

    CScreenBase bare(nullptr);
    bare.resize(20, 20);
    EXPECT_EQ(bare.grab().toImage().pixelColor(10, 10), kScreenBackground);
}

namespace {

class NamedScreen : public CScreenBase {
public:
    NamedScreen(int index, QStringList* log, QWidget* parent)
        : CScreenBase(nullptr, parent), m_index(index), m_log(log) {}
    void ApplyLanguage(int language) override {
        *m_log << QString::number(m_index);
        CScreenBase::ApplyLanguage(language);
    }

private:
    int m_index;
    QStringList* m_log;
};

QStringList* gHostLog = nullptr;

CScreenBase* MakeNamedScreen(int instruction, QWidget* parent) {
    // No screen for VKLT, as while a language is not built yet.
    return instruction == INSTRUCTION_VKLT ? nullptr : new NamedScreen(instruction, gHostLog, parent);
}

} // namespace

TEST(InstructionHostPage, ShowsTheStoredLanguageAndForwardsTextsInItsOrder) {
    TempEnvironment env;
    InitUserSettings();
    QStringList log;
    gHostLog = &log;
    CInstructionHostPage host(&MakeNamedScreen);
    host.resize(610, 470);
    host.show();
    for (int i = 0; i < 5; ++i) {
        if (host.Screen(i)) {
            EXPECT_FALSE(host.Screen(i)->isVisible()) << i;
        }
    }

    WriteInstruction(INSTRUCTION_VKLA);
    host.PageShown();
    EXPECT_EQ(host.InstructionInView(), INSTRUCTION_VKLA);
    EXPECT_TRUE(host.Screen(INSTRUCTION_VKLA)->isVisible());
    EXPECT_EQ(host.Screen(INSTRUCTION_VKLA)->geometry(), host.rect());

    WriteInstruction(INSTRUCTION_VKLT);
    host.PageShown();
    EXPECT_FALSE(host.Screen(INSTRUCTION_VKLA)->isVisible());
    WriteInstruction(INSTRUCTION_VKLZ);
    host.PageShown();
    EXPECT_TRUE(host.Screen(INSTRUCTION_VKLZ)->isVisible());

    host.ApplyLanguage(LANGUAGE_ENGLISH);
    EXPECT_EQ(log, QStringList({"3", "1", "0", "4"}));
    gHostLog = nullptr;
}

TEST(Messages, EveryBoxGoesThroughOneCapturableRoute) {
    TempEnvironment env;
    CMessageCapture capture;
    ShowCommError(1, LANGUAGE_ENGLISH, nullptr);
    ShowCommError(7, LANGUAGE_SIMPLIFIED_CHINESE, nullptr);
    ShowMessageKey("SaveFileSuccess", LANGUAGE_TRADITIONAL_CHINESE, nullptr);
    ASSERT_EQ(capture.Messages().size(), 3);
    EXPECT_EQ(capture.Texts()[0], GetMessageText("OpenPortError", LANGUAGE_ENGLISH));
    EXPECT_EQ(capture.Messages()[0].icon, MessageIcon::Warning);
    EXPECT_FALSE(capture.Texts()[1].isEmpty()) << "an unknown code must not show an empty box";
    EXPECT_EQ(capture.Texts()[1], GetMessageText("CommunicationFail", LANGUAGE_SIMPLIFIED_CHINESE));
    EXPECT_EQ(capture.Texts()[2], GetMessageText("SaveFileSuccess", LANGUAGE_TRADITIONAL_CHINESE));

    // A worker's message is shown on the user-interface thread.
    QThread* shownOn = nullptr;
    {
        CMessageCapture inner;
        SetMessageHook([&](const ShownMessage&) { shownOn = QThread::currentThread(); });
        std::unique_ptr<QThread> worker(QThread::create([] { ShowCommError(3, LANGUAGE_ENGLISH, nullptr); }));
        worker->start();
        WaitUntil([&] { return worker->isFinished(); });
    }
    EXPECT_EQ(shownOn, QCoreApplication::instance()->thread());
}

TEST(FileDialogs, FiltersAndTheTestHook) {
    EXPECT_EQ(FileFilter("All Files (*.*)", "*.*"), "All Files (*)");
    EXPECT_EQ(FileFilter("text Files (*.txt)", "*.txt"), "text Files (*.txt)");
    EXPECT_EQ(FileFilter("Logo", "*.logo"), "Logo (*.logo)");

    FileDialogRequest seen;
    const FileDialogHook previous = SetFileDialogHook([&](const FileDialogRequest& r) {
        seen = r;
        return r.kind == FileDialogRequest::Save ? QString("/tmp/out.txt") : QString();
    });
    EXPECT_EQ(AskSaveFileName(nullptr, FileFilter("text Files (*.txt)", "*.txt"), "txt"), "/tmp/out.txt");
    EXPECT_EQ(seen.kind, FileDialogRequest::Save);
    EXPECT_EQ(seen.defaultSuffix, "txt");
    EXPECT_TRUE(AskOpenFileName(nullptr, "x (*)").isEmpty());
    EXPECT_EQ(seen.kind, FileDialogRequest::Open);
    SetFileDialogHook(previous);
}

TEST(BackgroundTask, DeliversOnTheOwnersThreadAndRefusesASecondStart) {
    CBackgroundTask task;
    QSemaphore release;
    QThread* workedOn = nullptr;
    QThread* deliveredOn = nullptr;
    int result = 0;
    ASSERT_TRUE(task.Start(
        [&] {
            workedOn = QThread::currentThread();
            release.acquire();
            return 42;
        },
        [&](int r) {
            deliveredOn = QThread::currentThread();
            result = r;
        }));
    EXPECT_TRUE(task.IsBusy());
    EXPECT_FALSE(task.Start([] { return 1; }, [&](int r) { result = r; }));
    release.release();
    WaitUntil([&] { return !task.IsBusy(); });
    EXPECT_EQ(result, 42);
    EXPECT_EQ(deliveredOn, QThread::currentThread());
    EXPECT_NE(workedOn, QThread::currentThread());

    bool ran = false;
    EXPECT_TRUE(task.Start([] {}, [&] { ran = true; }));
    WaitUntil([&] { return ran; });
    EXPECT_TRUE(ran);
}

TEST(BackgroundTask, AResultArrivingAfterTheTaskIsGoneIsDropped) {
    std::atomic<bool> delivered = false;
    std::atomic<bool> finished = false;
    {
        CBackgroundTask task;
        ASSERT_TRUE(task.Start(
            [&] {
                QThread::msleep(50);
                finished = true;
                return 1;
            },
            [&](int) { delivered = true; }));
    } // waits for the worker, drops the queued delivery
    EXPECT_TRUE(finished);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(delivered);
}
