#include "engine/check_codes.h"

#include "testkit/recording_view.h"

#include <gtest/gtest.h>

using namespace tolvane;

namespace {

std::vector<std::string> logFor(const std::string& code)
{
    testkit::RecordingView view;
    engine::checkCodes(code, view);
    return view.logLines;
}

} // namespace

TEST(checkCodes, LogsTheTableTextWithItsNonBreakingSpacesAndApostrophes)
{
    const struct {
        const char* code;
        std::string line;
    } rows[] = {
        { "211", "211 Page(s) Sent Successfully\xA0" },
        { "111", "111 Paging terminal is processing the previous input -- please wait" },
        { "516", "516 Message quota temporarily exceeded" },
        { "501", "501 A time-out occurred waiting for user input\xA0'" },
        { "513", "513 Long message rejected for exceeding maximum character length\xA0'" },
        { "504",
            "504 The message field of the TAP transaction contained characters, but message characters are not "
            "allowed for the Pager format. Perhaps the paging receiver for the given PIN is a `Tone Only' "
            "pager.\xA0" },
        // 514 carries the text of 515 with it.
        { "514",
            "514 Checksum error\xA0"
            "515 Message format error\xA0" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(logFor(row.code), std::vector<std::string> { row.line }) << row.code;
}

TEST(checkCodes, OnlyTwentyFourExactCodesAreKnownAnd515IsNotOne)
{
    for (const char* text : { "515", "999", "21", "211 ", " 211", "2110", "" })
        EXPECT_TRUE(logFor(text).empty()) << '"' << text << '"';
    int known = 0;
    for (int code = 100; code < 1000; ++code)
        known += engine::replyCodeText(std::to_string(code)) ? 1 : 0;
    EXPECT_EQ(known, 24);
}
