#include "engine/modem_link.h"
#include "engine/numeric_sender.h"

#include <gtest/gtest.h>

using namespace tolvane;
using namespace tolvane::engine;

namespace {

store::TerminalRecord terminal(std::int16_t baud, std::int16_t parity, std::int16_t dataBits, std::int16_t stopBits)
{
    store::TerminalRecord t;
    t.CompanyName = "Ravenpage";
    t.PhoneNumber = "5550142        ";
    t.Baud = baud;
    t.Parity = parity;
    t.DataBits = dataBits;
    t.StopBits = stopBits;
    return t;
}

} // namespace

TEST(LineSettings, JoinBaudParityDataAndStopBits)
{
    EXPECT_EQ(lineSettingsText(terminal(9600, 2, 1, 1)), "9600,E,7,1");
    EXPECT_EQ(lineSettingsText(terminal(300, 1, 2, 2)), "300,N,8,2");
    EXPECT_EQ(lineSettingsText(terminal(14400, 3, 5, 9)), "14400,O,8,2");
}

TEST(DialString, PrefixIsLeftOutWhenItIs555)
{
    const auto t = terminal(9600, 1, 1, 1);
    EXPECT_EQ(dialString(store::ConfigRecord { "COMM1", "555       ", 1, 0, 1 }, t), "ATDT5550142");
    EXPECT_EQ(dialString(store::ConfigRecord { "COMM1", "*70,      ", 1, 0, 1 }, t), "ATDT*70,5550142");
    EXPECT_EQ(dialString(store::ConfigRecord { "COMM1", "9,", 2, 0, 1 }, t), "ATDP9,5550142");
    EXPECT_EQ(dialString(store::ConfigRecord { "COMM1", "5555", 0, 0, 1 }, t), "ATDP55555550142");
    // A CR or other control character in a shared file must not end the dial command early.
    auto withCr = t;
    withCr.PhoneNumber = "555\r0142\nATH";
    EXPECT_EQ(dialString(store::ConfigRecord { "COMM1", "9,\rATZ\x1b", 1, 0, 1 }, withCr), "ATDT9, ATZ555 0142 ATH");
    EXPECT_EQ(dialString(store::ConfigRecord { "COMM1", "555\t", 1, 0, 1 }, t), "ATDT5550142");
}

TEST(InitialisationString, AdvancedStringForTheCompanysSpeedWinsWhenSet)
{
    store::ModemRecord modem { "Custom", "ATZ                ", -1 };
    store::AdvancedRecord advanced;
    advanced.ModemString9600 = "AT&F&C1   ";
    advanced.ModemString2400 = "          ";
    EXPECT_EQ(initialisationString(modem, advanced, 9600), "AT&F&C1");
    EXPECT_EQ(initialisationString(modem, advanced, 2400), "ATZ"); // blank: the modem's own
    EXPECT_EQ(initialisationString(modem, advanced, 4800), "ATZ"); // no field for 4800
    advanced.ModemString19200 = "AT19200";
    EXPECT_EQ(initialisationString(modem, advanced, 19200), "AT19200");
    // The NUL-filled record of a new file counts as blank.
    EXPECT_EQ(initialisationString(modem, store::AdvancedRecord::decode(std::string(600, '\0')), 9600), "ATZ");
    // A CR in a pasted or shared string must not send the rest as a second command.
    advanced.ModemString9600 = "AT&F\r&C1\x1b";
    EXPECT_EQ(initialisationString(modem, advanced, 9600), "AT&F &C1");
    EXPECT_EQ(initialisationString({ "Custom", "ATZ\rATDT911", 0 }, advanced, 4800), "ATZ ATDT911");
}

TEST(NumericDialLine, KeysTheTrimmedDigitsAfterFourPausesAndEndsWithHash)
{
    EXPECT_EQ(numericDialLine("ATDT*70,5550199   ", "4321    "), "ATDT*70,5550199,,,,4321#\r");
    EXPECT_EQ(numericDialLine("ATDT5550199", "  12 34  "), "ATDT5550199,,,,12 34#\r");
    // A CR in the text must not end the dial command early.
    EXPECT_EQ(numericDialLine("ATDT5550199", "12\rATH"), "ATDT5550199,,,,12 ATH#\r");
}
