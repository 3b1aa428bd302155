#include "store/codepage.h"
#include "store/records.h"
#include "store/text.h"
#include "store_test_support.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tolvane::store;
using namespace std::string_literals;

TEST(RecordLayouts, UserAndGroupRecordsAreBlankPaddedTextCutToTheirWidths)
{
    const std::string fixture
        = padded("Dana Whitlow", 25) + padded("5550142", 100) + padded("Ravenpage", 25) + "0100000010";
    ASSERT_EQ(fixture.size(), 160u);
    EXPECT_EQ((UserRecord { "Dana Whitlow", "5550142", "Ravenpage", "0100000010" }.encode()), fixture);
    const UserRecord back = UserRecord::decode(fixture);
    EXPECT_EQ(back.UserName, padded("Dana Whitlow", 25));
    EXPECT_EQ(back.PagingCompany, padded("Ravenpage", 25));
    EXPECT_EQ(back.GroupFlags, "0100000010");
    EXPECT_EQ((UserRecord { "Bartholomew Q. Fitzwilliams", "", "", "" }.encode().substr(0, 26)),
        "Bartholomew Q. Fitzwillia ");

    const std::string group = padded("Night shift", 25) + padded("Ward 3", 25);
    EXPECT_EQ((GroupRecord { "Night shift", "Ward 3" }.encode()), group);
    EXPECT_EQ(GroupRecord::decode(group).Comment, padded("Ward 3", 25));
}

TEST(RecordLayouts, TerminalNumbersAreLittleEndianSigned16BitFromOffset40)
{
    const std::string fixture = padded("Ravenpage", 25) + padded("5550142", 15)
        + "\x50\x00\x01\x00\x80\x25\x02\x00\x02\x00\xFF\xFF"s + padded("secret", 12);
    ASSERT_EQ(fixture.size(), 64u);
    TerminalRecord t = TerminalRecord::decode(fixture);
    EXPECT_EQ((std::vector<int> { t.MaxChars, t.ServiceType, t.Baud, t.Parity, t.DataBits, t.StopBits }),
        (std::vector<int> { 80, 1, 9600, 2, 2, -1 }));
    EXPECT_EQ(t.Password, padded("secret", 12));
    EXPECT_EQ(t.encode(), fixture);
    t.Baud = 19200;
    EXPECT_EQ(t.encode().substr(44, 2), "\x00\x4B"s);
}

TEST(RecordLayouts, ConfigIs21BytesWithItsNumbersAt15_17_19)
{
    const std::string fixture = "COMM3*70,      \x01\x00\x0A\x00\x02\x00"s;
    ASSERT_EQ(fixture.size(), 21u);
    ConfigRecord c = ConfigRecord::decode(fixture);
    EXPECT_EQ(c.CommPort, "COMM3");
    EXPECT_EQ(c.DialPrefix, padded("*70,", 10));
    EXPECT_EQ((std::vector<int> { c.DialMethod, c.RetryAttempts, c.ModemIndex }), (std::vector<int> { 1, 10, 2 }));
    EXPECT_EQ(c.encode(), fixture);
    c.DialPrefix = "555";
    EXPECT_EQ(c.encode().substr(5, 10), "555       ");

    // The port is the last character of CommPort, 0 when that is no digit.
    const std::pair<std::string, int> ports[]
        = { { "COMM1", 1 }, { "COMM4", 4 }, { "", 0 }, { "     ", 0 }, { "COMMX", 0 }, { std::string(5, '\0'), 0 } };
    for (const auto& [commPort, port] : ports)
        EXPECT_EQ(ConfigRecord::decode(commPort + std::string(16, ' ')).portNumber(), port) << commPort;
}

TEST(RecordLayouts, ModemAdvancedSettingsAndCannedRecords)
{
    const std::string modem = padded("Hayes Compatible", 50) + padded("AT&F", 50) + "\xFF\xFF"s;
    EXPECT_EQ((ModemRecord { "Hayes Compatible", "AT&F", kYes }.encode()), modem);
    EXPECT_EQ(ModemRecord::decode(modem).Speaker, -1);

    AdvancedRecord advanced;
    advanced.ModemString9600 = "AT&F&K3";
    EXPECT_EQ(advanced.encode(), std::string(300, ' ') + padded("AT&F&K3", 100) + std::string(200, ' '));

    const std::string settings
        = "\xFF\xFF\x00\x00\xFF\xFF\x00\x00"s + padded("Re: ", 20) + padded(" -Desk", 20) + "\xFF\xFF"s;
    ASSERT_EQ(settings.size(), 50u);
    const SettingsRecord s = SettingsRecord::decode(settings);
    EXPECT_EQ(
        (std::vector<int> { s.ClearSendList, s.ClearMessage, s.ClearQueue, s.ShowConnectionWindow, s.LargeIcons }),
        (std::vector<int> { -1, 0, -1, 0, -1 }));
    EXPECT_EQ(s.MessagePrefix, padded("Re: ", 20));
    EXPECT_EQ(s.MessageSuffix, padded(" -Desk", 20));
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

TEST(Text, TrimAndNumberText)
{
    EXPECT_EQ(rtrim("ab\0\0 "s), "ab\0\0"s); // NUL padding is data, not blanks
    EXPECT_EQ(numberText(3), " 3");
    EXPECT_EQ(numberText(0), " 0");
    EXPECT_EQ(numberText(-1), "-1");
}

TEST(CodePage, Windows1252RoundTripsAndUnknownCharactersBecomeQuestionMarks)
{
    const std::pair<const char*, const char*> toCp1252[] = {
        { "Jos\xC3\xA9", "Jos\xE9" }, // é
        { "\xE2\x82\xAC 5", "\x80 5" }, // €
        { "\xC5\xA0koda", "\x8Akoda" }, // Š
        { "\xE6\x97\xA5", "?" }, // 日
        { "\xF0\x9F\x98\x80!", "?!" }, // emoji
        { "a\xFF"
          "b",
            "a?b" }, // malformed
        // Overlong spellings of ":", NUL and "\u20AC", and a code point past U+10FFFF, are malformed, not characters.
        { "x\xC0\xBAy", "x?y" },
        { "\xC0\x80", "?" },
        { "\xE0\x80\xBA", "?" },
        { "\xF0\x82\x82\xAC", "?" },
        { "\xF4\x90\x80\x80", "?" },
        // A sequence cut short is one "?", and the byte that cut it is read on its own.
        { "a\xE2\x82", "a?" },
        { "\xE2\x82"
          "b",
            "?b" },
        { "\xF0\x9F\x98!", "?!" },
        { "\xE2\x82\xC3\xA9", "?\xE9" },
    };
    for (const auto& [utf8, cp1252] : toCp1252)
        EXPECT_EQ(utf8ToCp1252(utf8), cp1252) << utf8;
    EXPECT_EQ(cp1252ToUtf8("Jos\xE9 \x80"), "Jos\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(cp1252ToUtf8("\x9D"), "\xC2\x9D"); // undefined byte survives
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(one)), one) << b;
    }
    // Widths count bytes: a 25-byte field holds 25 accented letters.
    std::string name;
    for (int i = 0; i < 30; ++i)
        name += "\xC3\xA9";
    EXPECT_EQ((UserRecord { utf8ToCp1252(name), "", "", "" }.encode().substr(0, 25)), std::string(25, '\xE9'));
}
