#include "store/codepage.h"
#include "store/records.h"
#include "store/text.h"

#include <gtest/gtest.h>

using namespace tolvane::store;
using namespace std::string_literals;

namespace {

std::string padded(std::string_view text, std::size_t width)
{
    std::string out(text);
    out.resize(width, ' ');
    return out;
}

} // namespace

TEST(RecordLayouts, UserRecordIsNameIdCompanyFlagsIn160Bytes)
{
    const std::string fixture
        = padded("Dana Whitlow", 25) + padded("5550142", 100) + padded("Ravenpage", 25) + "0100000010";
    ASSERT_EQ(fixture.size(), 160u);

    UserRecord user;
    user.UserName = "Dana Whitlow";
    user.PagerId = "5550142";
    user.PagingCompany = "Ravenpage";
    user.GroupFlags = "0100000010";
    EXPECT_EQ(user.encode(), fixture);

    const UserRecord back = UserRecord::decode(fixture);
    EXPECT_EQ(back.UserName, padded("Dana Whitlow", 25));
    EXPECT_EQ(back.PagingCompany, padded("Ravenpage", 25));
    EXPECT_EQ(back.GroupFlags, "0100000010");
    EXPECT_EQ(back.encode(), fixture);
}

TEST(RecordLayouts, LongTextIsCutToItsWidthAndReadsBackTrimmed)
{
    UserRecord user;
    user.UserName = "Bartholomew Q. Fitzwilliams"; // 27 characters
    const std::string stored = user.encode();
    EXPECT_EQ(stored.substr(0, 25), "Bartholomew Q. Fitzwillia");
    EXPECT_EQ(stored[25], ' ');
    EXPECT_EQ(rtrim(UserRecord::decode(stored).UserName), "Bartholomew Q. Fitzwillia");
}

TEST(RecordLayouts, GroupRecordIsNameAndCommentIn50Bytes)
{
    const std::string fixture = padded("Night shift", 25) + padded("Ward 3", 25);
    GroupRecord group { "Night shift", "Ward 3" };
    EXPECT_EQ(group.encode(), fixture);
    EXPECT_EQ(GroupRecord::decode(fixture).Comment, padded("Ward 3", 25));
}

TEST(RecordLayouts, TerminalRecordNumbersAreLittleEndianFrom40)
{
    const std::string fixture = padded("Ravenpage", 25) + padded("5550142", 15) + "\x50\x00"s // MaxChars 80
        + "\x01\x00"s // ServiceType 1
        + "\x80\x25"s // Baud 9600
        + "\x02\x00"s // Parity 2
        + "\x02\x00"s // DataBits 2
        + "\xFF\xFF"s // StopBits -1
        + padded("secret", 12);
    ASSERT_EQ(fixture.size(), 64u);

    const TerminalRecord t = TerminalRecord::decode(fixture);
    EXPECT_EQ(t.MaxChars, 80);
    EXPECT_EQ(t.ServiceType, 1);
    EXPECT_EQ(t.Baud, 9600);
    EXPECT_EQ(t.Parity, 2);
    EXPECT_EQ(t.DataBits, 2);
    EXPECT_EQ(t.StopBits, -1);
    EXPECT_EQ(t.Password, padded("secret", 12));
    EXPECT_EQ(t.encode(), fixture);

    TerminalRecord fast = t;
    fast.Baud = 19200;
    EXPECT_EQ(fast.encode().substr(44, 2), "\x00\x4B"s);
}

TEST(RecordLayouts, ConfigRecordIs21BytesWithNumbersAt15_17_19)
{
    const std::string fixture = "COMM3"s + padded("*70,", 10) + "\x01\x00"s + "\x0A\x00"s + "\x02\x00"s;
    ASSERT_EQ(fixture.size(), 21u);
    const ConfigRecord c = ConfigRecord::decode(fixture);
    EXPECT_EQ(c.CommPort, "COMM3");
    EXPECT_EQ(c.DialPrefix, padded("*70,", 10));
    EXPECT_EQ(c.DialMethod, 1);
    EXPECT_EQ(c.RetryAttempts, 10);
    EXPECT_EQ(c.ModemIndex, 2);
    EXPECT_EQ(c.portNumber(), 3);
    EXPECT_EQ(c.encode(), fixture);

    ConfigRecord none = c;
    none.DialPrefix = "555";
    EXPECT_EQ(none.encode().substr(5, 10), "555       ");
}

TEST(RecordLayouts, PortNumberIsTheLastCharacterOfCommPort)
{
    const struct {
        const char* commPort;
        int port;
    } cases[] = { { "COMM1", 1 }, { "COMM4", 4 }, { "", 0 }, { "     ", 0 }, { "COMMX", 0 } };
    for (const auto& c : cases) {
        ConfigRecord record;
        record.CommPort = c.commPort;
        EXPECT_EQ(ConfigRecord::decode(record.encode()).portNumber(), c.port) << c.commPort;
    }
    EXPECT_EQ(ConfigRecord::decode(std::string(21, '\0')).portNumber(), 0);
}

TEST(RecordLayouts, ModemAdvancedSettingsAndCannedRecords)
{
    const std::string modem = padded("Hayes Compatible", 50) + padded("AT&F", 50) + "\xFF\xFF"s;
    EXPECT_EQ((ModemRecord { "Hayes Compatible", "AT&F", kYes }.encode()), modem);
    EXPECT_EQ(ModemRecord::decode(modem).Speaker, -1);

    AdvancedRecord advanced;
    advanced.ModemString9600 = "AT&F&K3";
    const std::string a = advanced.encode();
    ASSERT_EQ(a.size(), 600u);
    EXPECT_EQ(a.substr(300, 100), padded("AT&F&K3", 100));
    EXPECT_EQ(a.substr(0, 300), std::string(300, ' '));

    const std::string settings = "\xFF\xFF"s + "\x00\x00"s + "\xFF\xFF"s + "\x00\x00"s + padded("Re: ", 20)
        + padded(" -Desk", 20) + "\xFF\xFF"s;
    ASSERT_EQ(settings.size(), 50u);
    const SettingsRecord s = SettingsRecord::decode(settings);
    EXPECT_EQ(s.ClearSendList, -1);
    EXPECT_EQ(s.ClearMessage, 0);
    EXPECT_EQ(s.ClearQueue, -1);
    EXPECT_EQ(s.ShowConnectionWindow, 0);
    EXPECT_EQ(s.MessagePrefix, padded("Re: ", 20));
    EXPECT_EQ(s.MessageSuffix, padded(" -Desk", 20));
    EXPECT_EQ(s.LargeIcons, -1);
    EXPECT_EQ(s.encode(), settings);

    EXPECT_EQ(CannedRecord { "Call me" }.encode(), padded("Call me", 80));
}

TEST(RecordLayouts, ShortOrArbitraryBytesDecodeWithoutHarm)
{
    // A short input reads as if NUL padded, like a record past the end of a file.
    const TerminalRecord t = TerminalRecord::decode("Rav"s);
    EXPECT_EQ(t.CompanyName, "Rav"s + std::string(22, '\0'));
    EXPECT_EQ(t.MaxChars, 0);

    std::string noise(64, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>(i * 37 + 11);
    EXPECT_EQ(TerminalRecord::decode(noise).encode(), noise);
}

TEST(Text, FixedWidthTrimAndNumberText)
{
    EXPECT_EQ(fixedText("ab", 4), "ab  ");
    EXPECT_EQ(fixedText("abcdef", 4), "abcd");
    EXPECT_EQ(rtrim("  a b  "), "  a b");
    EXPECT_EQ(ltrim("  a b  "), "a b  ");
    EXPECT_EQ(trim("   "), "");
    EXPECT_EQ(rtrim("ab\0\0"s), "ab\0\0"s); // NUL padding is data, not blanks
    EXPECT_EQ(numberText(3), " 3");
    EXPECT_EQ(numberText(0), " 0");
    EXPECT_EQ(numberText(-1), "-1");
}

TEST(CodePage, Windows1252RoundTripsAndUnknownCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(utf8ToCp1252("Jos\xC3\xA9"), "Jos\xE9"); // é
    EXPECT_EQ(utf8ToCp1252("\xE2\x82\xAC 5"), "\x80 5"); // €
    EXPECT_EQ(utf8ToCp1252("\xC5\xA0koda"), "\x8Akoda"); // Š
    EXPECT_EQ(utf8ToCp1252("\xE6\x97\xA5"), "?"); // 日
    EXPECT_EQ(utf8ToCp1252("\xF0\x9F\x98\x80!"), "?!"); // emoji
    EXPECT_EQ(utf8ToCp1252("a\xFF"
                           "b"),
        "a?b"); // malformed
    EXPECT_EQ(cp1252ToUtf8("Jos\xE9 \x80"), "Jos\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(cp1252ToUtf8("\x9D"), "\xC2\x9D"); // undefined byte survives
    for (int b = 1; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(one)), one) << b;
    }
    // Widths count bytes: a 25-byte field holds 25 accented letters.
    std::string name;
    for (int i = 0; i < 30; ++i)
        name += "\xC3\xA9";
    UserRecord user;
    user.UserName = utf8ToCp1252(name);
    EXPECT_EQ(user.encode().substr(0, 25), std::string(25, '\xE9'));
}
