#include "simulator/page_json.h"

#include <gtest/gtest.h>

namespace tolvane::simulator {
namespace {

using namespace std::chrono_literals;

TEST(PageJson, TextIsConvertedToUtf8AndEscaped)
{
    PageRecord page;
    page.kind = "tap";
    page.pagerId = "5550142";
    page.message = "Caf\xe9 \"A\\B\"\r\x01 \x80";
    page.password = "pw";
    page.checksumOk = true;
    page.reply = "ACK";
    EXPECT_EQ(pageJsonLine(page),
        "{\"kind\":\"tap\",\"pager_id\":\"5550142\",\"message\":\"Caf\xc3\xa9 \\\"A\\\\B\\\"\\r\\u0001 \xe2\x82\xac\","
        "\"password\":\"pw\",\"checksum_ok\":true,\"reply\":\"ACK\"}");
}

TEST(PageJson, NumericPageHasNoChecksumVerdict)
{
    PageRecord page;
    page.kind = "numeric";
    page.pagerId = "*70,5550142";
    page.message = "4321#";
    page.reply = "KEYED";
    EXPECT_EQ(pageJsonLine(page),
        "{\"kind\":\"numeric\",\"pager_id\":\"*70,5550142\",\"message\":\"4321#\",\"password\":\"\","
        "\"checksum_ok\":null,\"reply\":\"KEYED\"}");
}

TEST(TranscriptLine, ShowsTimeDirectionAndNamedControlCharacters)
{
    EXPECT_EQ(transcriptLine({ 1234ms, TranscriptDirection::FromClient,
                  "\x02"
                  "ab\r\x03"
                  "1\xe9" }),
        "     1.234 <- <STX>ab<CR><ETX>1\xc3\xa9");
    EXPECT_EQ(transcriptLine({ 5ms, TranscriptDirection::ToClient, "\x1b[p\r" }), "     0.005 -> <ESC>[p<CR>");
    EXPECT_EQ(transcriptLine({ 0ms, TranscriptDirection::Event, "sign-off" }), "     0.000 -- sign-off");
    // An event quoting what the client sent stays on one line and cannot drive the reader's terminal.
    EXPECT_EQ(transcriptLine({ 0ms, TranscriptDirection::Event, "checksum error: received \"1\n\x1b[2J\xe9\"" }),
        "     0.000 -- checksum error: received \"1<LF><ESC>[2J\xc3\xa9\"");
}

} // namespace
} // namespace tolvane::simulator
