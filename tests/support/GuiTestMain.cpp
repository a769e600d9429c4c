#include "app/ui/Messages.h"
#include "support/LeakCheck.h"

#include <QApplication>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int result = 0;
    {
        QApplication app(argc, argv);
        // A question nobody answers would hold a test for ever: unless a test answers them itself
        // (ConfirmationAnswer), questions are confirmed, and an offer to change the saved port (to a
        // printer's new network address) is declined, so that no test ever sends beyond loopback.
        quillory::SetConfirmHook([](const quillory::Confirmation& question) {
            return question.withDecline ? quillory::ConfirmAnswer::Decline : quillory::ConfirmAnswer::Confirm;
        });
        ::testing::InitGoogleMock(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    quillory::test::CheckLeaksAtEnd();
    return result;
}
