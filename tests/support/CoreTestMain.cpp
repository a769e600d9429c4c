#include "support/LeakCheck.h"

#include <QCoreApplication>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    int result = 0;
    {
        QCoreApplication app(argc, argv);
        ::testing::InitGoogleMock(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    quillory::test::CheckLeaksAtEnd();
    return result;
}
