#include "app/ui/QuilloryApp.h"

#include <gtest/gtest.h>

using namespace quillory;

TEST(StartOptions, TheCommandLineIsReadBeforeAnythingStarts) {
    const auto plain = CQuilloryApp::ParseCommandLine({"quillory"});
    EXPECT_TRUE(plain.error.isEmpty());
    EXPECT_FALSE(plain.showHelp);
    EXPECT_FALSE(plain.showVersion);

    EXPECT_TRUE(CQuilloryApp::ParseCommandLine({"quillory", "--version"}).showVersion);
    const auto help = CQuilloryApp::ParseCommandLine({"/usr/bin/quillory", "--help"});
    EXPECT_TRUE(help.showHelp);
    EXPECT_TRUE(help.helpText.startsWith("Usage: quillory [options]")) << help.helpText.toStdString();
    EXPECT_TRUE(help.helpText.contains("--demo"));
    EXPECT_FALSE(CQuilloryApp::ParseCommandLine({"quillory", "--no-such-option"}).error.isEmpty());
    EXPECT_FALSE(CQuilloryApp::ParseCommandLine({"quillory", "stray"}).error.isEmpty());
}
