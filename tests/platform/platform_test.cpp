#include "platform/dialog_service.h"
#include "platform/display.h"
#include "platform/text_bridge.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace tolvane::platform;

class Environment {
public:
    Environment()
    {
        for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
            ::unsetenv(name);
    }
};

TEST(DisplayDecision, NoDisplayVariableAndNoChosenPlatformMeansHeadless)
{
    Environment clean;
    EXPECT_FALSE(displayAvailable());
    ::setenv("DISPLAY", "", 1);
    EXPECT_FALSE(displayAvailable()) << "an empty DISPLAY names no display";
    ::setenv("DISPLAY", ":99", 1);
    EXPECT_TRUE(displayAvailable());
    ::unsetenv("DISPLAY");
    ::setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    EXPECT_TRUE(displayAvailable());
    ::unsetenv("WAYLAND_DISPLAY");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    EXPECT_TRUE(displayAvailable());
    EXPECT_TRUE(invisiblePlatform()) << "nobody can answer a box on the offscreen platform";
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    EXPECT_FALSE(invisiblePlatform());
    ::unsetenv("QT_QPA_PLATFORM");
    EXPECT_FALSE(invisiblePlatform());
}

TEST(TextBridge, Windows1252BytesRoundTripThroughUnicode)
{
    const std::string core = "Caf\xE9 \x80 5\xA0";
    const QString shown = fromCore(core);
    EXPECT_EQ(shown, QStringLiteral("Caf\u00E9 \u20AC 5\u00A0"));
    EXPECT_EQ(toCore(shown), core);
    EXPECT_EQ(toCore(QStringLiteral("snow \u2603")), "snow ?");
}

TEST(ScriptedDialogs, RecordEveryTextAndAnswerFromTheScriptThenNo)
{
    ScriptedDialogService dialogs;
    dialogs.queueAnswer(true);
    dialogs.queueFileName(QStringLiteral("/srv/shared/USERS.DAT"));
    dialogs.message(QStringLiteral("first"));
    EXPECT_TRUE(dialogs.ask(QStringLiteral("sure?")));
    EXPECT_FALSE(dialogs.ask(QStringLiteral("again?")));
    EXPECT_EQ(
        dialogs.openFileName(QStringLiteral("Pick"), QStringLiteral("*.dat")), QStringLiteral("/srv/shared/USERS.DAT"));
    EXPECT_TRUE(dialogs.openFileName(QStringLiteral("Pick"), QStringLiteral("*.dat")).isEmpty());
    EXPECT_EQ(dialogs.messages(), QStringList { QStringLiteral("first") });
    EXPECT_EQ(dialogs.questions(), (QStringList { QStringLiteral("sure?"), QStringLiteral("again?") }));
    EXPECT_EQ(dialogs.fileDialogs().size(), 2);
}

TEST(ConsoleDialogs, PrintEachTextToStandardErrorAndAnswerAsChosen)
{
    ConsoleDialogService yes(true);
    ConsoleDialogService no(false);
    ::testing::internal::CaptureStderr();
    yes.message(QStringLiteral(" Tolvane already running"));
    const bool answeredYes = yes.ask(QStringLiteral("Continue?"));
    const bool answeredNo = no.ask(QStringLiteral("Continue?"));
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(answeredYes);
    EXPECT_FALSE(answeredNo);
    EXPECT_NE(printed.find(" Tolvane already running\n"), std::string::npos);
    EXPECT_NE(printed.find("(answered Yes"), std::string::npos);
    EXPECT_NE(printed.find("(answered No"), std::string::npos);
}

} // namespace
