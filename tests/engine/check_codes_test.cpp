#include "engine/check_codes.h"

#include "testkit/recording_view.h"

#include <gtest/gtest.h>

using namespace tolvane;
using tolvane::testkit::RecordingView;

namespace {

std::vector<std::string> logFor(const std::string& code)
{
    RecordingView view;
    engine::CheckCodes(code, view);
    return view.logLines;
}

} // namespace

TEST(CheckCodes, ExplainsAKnownCodeWithItsTrailingNonBreakingSpace)
{
    EXPECT_EQ(logFor("211"), std::vector<std::string> { "211 Page(s) Sent Successfully\xA0" });
    EXPECT_EQ(logFor("111"),
        std::vector<std::string> { "111 Paging terminal is processing the previous input -- please wait" });
    EXPECT_EQ(logFor("516"), std::vector<std::string> { "516 Message quota temporarily exceeded" });
}

TEST(CheckCodes, KeepsTheApostrophesAfterTheNonBreakingSpace)
{
    EXPECT_EQ(logFor("501"), std::vector<std::string> { "501 A time-out occurred waiting for user input\xA0'" });
    EXPECT_EQ(logFor("513"),
        std::vector<std::string> { "513 Long message rejected for exceeding maximum character length\xA0'" });
    EXPECT_EQ(logFor("504"),
        std::vector<std::string> {
            "504 The message field of the TAP transaction contained characters, but message characters are not "
            "allowed for the Pager format. Perhaps the paging receiver for the given PIN is a `Tone Only' "
            "pager.\xA0" });
}

TEST(CheckCodes, Code514CarriesTheTextOf515)
{
    EXPECT_EQ(logFor("514"),
        std::vector<std::string> { "514 Checksum error\xA0"
                                   "515 Message format error\xA0" });
}

TEST(CheckCodes, AnythingButAnExactKnownCodeLogsNothing)
{
    for (const char* text : { "515", "999", "21", "211 ", " 211", "2110", "" })
        EXPECT_TRUE(logFor(text).empty()) << '"' << text << '"';
}

TEST(CheckCodes, KnowsTwentyFourCodesAndNotA515OfItsOwn)
{
    int known = 0;
    for (int code = 100; code < 1000; ++code)
        if (engine::replyCodeText(std::to_string(code)))
            ++known;
    EXPECT_EQ(known, 24);
    EXPECT_FALSE(engine::replyCodeText("515"));
}
