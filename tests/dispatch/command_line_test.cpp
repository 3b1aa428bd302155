#include "dispatch/command_line_paging.h"

#include <gtest/gtest.h>

namespace tolvane::dispatch {
namespace {

TEST(CommandLineSplit, NameMessageAndQuietAsTheCommandLineMeansThem)
{
    const struct {
        const char* commandLine;
        const char* name;
        const char* message;
        bool quiet;
    } cases[] = {
        { "Dana:Back at 10:30", "Dana", "Back at 10:30", false }, // only the first colon separates
        { "Dana:Back soon %", "Dana", "Back soon", true },
        { "Dana:Back soon%", "Dana", "Back soo", true }, // the character before the % goes too
        { "Dana:%", "Dana", "", true },
        { "Dana: %", "Dana", "", true },
        { ":Hello", "", "Hello", false },
        { "Dana Whitlow:50% off", "Dana Whitlow", "50% off", false },
        { "Bartholomew Fitzgeraldsonxxxxx:hi", "Bartholomew Fitzgeraldsonxxxxx", "hi", false },
    };
    for (const auto& c : cases) {
        const auto page = splitCommandLine(c.commandLine);
        EXPECT_EQ(page.name, c.name) << c.commandLine;
        EXPECT_EQ(page.message, c.message) << c.commandLine;
        EXPECT_EQ(page.quiet, c.quiet) << c.commandLine;
        // What is matched against UserName: the name cut or blank-padded to 25 characters.
        std::string padded = std::string(c.name).substr(0, 25);
        padded.resize(25, ' ');
        EXPECT_EQ(page.paddedName, padded) << c.commandLine;
    }
}

} // namespace
} // namespace tolvane::dispatch
