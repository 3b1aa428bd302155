#include "app/command_options.h"

#include <gtest/gtest.h>

using tolvane::app::parseCommandOptions;

namespace {

// --help and --version are the program start test's: what they print, and that they touch no file.
TEST(CommandOptions, OptionsBeforeTheFirstOperandAreReadAndTheOperandsJoinedBySingleBlanks)
{
    const auto parsed = parseCommandOptions({ "--data-dir", "/tmp/x", "--practice", "Dana", "Whitlow:hello", "there" });
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->dataDir, "/tmp/x");
    EXPECT_TRUE(parsed.options->practice);
    EXPECT_EQ(parsed.options->commandLine, "Dana Whitlow:hello there");
}

TEST(CommandOptions, AnythingAfterTheFirstOperandOrAfterDoubleDashIsAnOperand)
{
    auto parsed = parseCommandOptions({ "Dana:call", "--practice" });
    ASSERT_TRUE(parsed.options);
    EXPECT_FALSE(parsed.options->practice);
    EXPECT_EQ(parsed.options->commandLine, "Dana:call --practice");

    parsed = parseCommandOptions({ "--", "--help:me" });
    ASSERT_TRUE(parsed.options);
    EXPECT_FALSE(parsed.options->help);
    EXPECT_EQ(parsed.options->commandLine, "--help:me");
}

TEST(CommandOptions, UnknownOptionsAMissingFolderAndACommandLineThatIsNoPageAreUsageErrors)
{
    EXPECT_FALSE(parseCommandOptions({ "--bogus" }).options);
    EXPECT_NE(parseCommandOptions({ "--bogus" }).error.find("--bogus"), std::string::npos);
    EXPECT_FALSE(parseCommandOptions({ "--data-dir" }).options);
    EXPECT_TRUE(parseCommandOptions({ "--data-dir=/tmp/y" }).options);
    // Nothing would be sent but an empty page: the line says what is expected instead.
    for (const auto& noPage : { std::vector<std::string> { "Bob", "Baker" }, { "Bob Baker:" }, { "Bob Baker: %" } })
        EXPECT_NE(parseCommandOptions(noPage).error.find("expected name:message"), std::string::npos) << noPage[0];
}

TEST(CommandOptions, PacingIsPromptOrStandardAndAnythingElseIsAUsageError)
{
    EXPECT_FALSE(parseCommandOptions({}).options->pacing);
    EXPECT_EQ(
        parseCommandOptions({ "--pacing", "prompt", "Dana:hi" }).options->pacing, tolvane::engine::Pacing::Prompt);
    EXPECT_EQ(parseCommandOptions({ "--pacing=standard" }).options->pacing, tolvane::engine::Pacing::Standard);
    for (const auto& bad : { std::vector<std::string> { "--pacing" }, { "--pacing", "fast" }, { "--pacing=" } })
        EXPECT_NE(parseCommandOptions(bad).error.find("--pacing"), std::string::npos) << bad.back();
}

TEST(CommandOptions, TheCommandLineArrivesInUtf8AndIsCarriedInWindows1252)
{
    // "Zoë:5 €" — ë is 0xEB and € is 0x80 in Windows-1252; a character it lacks becomes "?".
    const auto parsed = parseCommandOptions({ "Zo\xC3\xAB:5", "\xE2\x82\xAC", "\xE2\x98\x83" });
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->commandLine, "Zo\xEB:5 \x80 ?");
}

} // namespace
