#include "store/directory_rules.h"

#include <gtest/gtest.h>

using namespace tolvane::store;

TEST(UserRules, SaveAndUpdateStoreWhatTheOperatorMeantOrRefuseAUserNoOneCouldPage)
{
    UserRecord current;
    current.UserName = "Old:Name";
    current.GroupFlags = "0100000001";
    const std::string_view ok;
    const struct {
        bool update;
        const char* name;
        const char* pagerId;
        const char* company;
        const char* storedName;
        const char* storedId;
        std::string_view message;
    } cases[] = {
        // clang-format off
        { false, "Ann", "123-456", "Ravenpage", "Ann", "123456", ok },
        // An ID is an address: its leading zeros stay, on update too.
        { false, "Ann", "00123", "Ravenpage", "Ann", "00123", ok },
        { true, "Ann", " 00-12 3 ", "Ravenpage", "Ann", "00123", ok },
        { true, "Ann", "PIN12", "Ravenpage", "Ann", "PIN12", ok },
        { false, "Ann", "555", "DIG-Beeps", "DIG-Ann", "0", ok },
        { true, "DIG-Ann", "*12#", "DIG-Beeps", "DIG-Ann", "0", ok },
        { true, "Ann", "", "DIG-Beeps", "DIG-Ann", "0", ok },
        { false, "Ann\tLee\r\nX\x1b", "1", "Ravenpage", "Ann Lee X ", "1", ok },
        { true, "Old:Name", "1", "Ravenpage", "Old:Name", "1", ok }, // a name it had before may stay
        { false, "  ", "1", "Ravenpage", "", "", "User name field is empty" },
        { true, "Ann", "--", "Ravenpage", "", "", "Pager ID field is empty" },
        { false, "Ann", "12\t34", "Ravenpage", "", "", kPagerIdControl },
        { false, "Ann", "12A", "DIG-Beeps", "", "", kPagerIdTouchTone },
        { false, "Ann", "1", "", "", "", "Pager Company field is empty: choose one from the list" },
        { false, "Ann:Lee", "1", "Ravenpage", "", "", kUserNameColon },
        { true, "New:Name", "1", "Ravenpage", "", "", kUserNameColon },
        { false, "Abcdefghijklmnopqrstuvwx", "1", "DIG-Beeps", "", "",
            "A numeric paging company's user name with \"DIG-\" in front is longer than 25 characters. Nothing was "
            "saved." },
        // clang-format on
    };
    for (const auto& c : cases) {
        const UserResult result
            = userRecord(c.update ? UserWrite::Update : UserWrite::Save, { c.name, c.pagerId, c.company }, current);
        SCOPED_TRACE(std::string(c.update ? "update " : "save ") + c.name + " " + c.pagerId);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(result.ok, c.message.empty());
        if (!result.ok)
            continue;
        EXPECT_EQ(result.record.UserName, c.storedName);
        EXPECT_EQ(result.record.PagerId, c.storedId);
        EXPECT_EQ(result.record.PagingCompany, c.company);
        EXPECT_EQ(result.record.GroupFlags, c.update ? "0100000001" : "0000000000")
            << "memberships kept only on update";
    }
}

TEST(GroupRules, ANewGroupNeedsANameAndKeepsNoControlCharacters)
{
    EXPECT_EQ(groupRecord("Night\tShift", "on\acall").record, (GroupRecord { "Night Shift", "on call" }));
    EXPECT_EQ(groupRecord(" ", "x").message, "Group name field is empty");
    EXPECT_FALSE(groupRecord("", "").ok);
}

TEST(CompanyRules, TheBoxesBecomeARecordOrAreRefused)
{
    TerminalRecord lastShown;
    lastShown.Parity = 3;
    const CompanyForm acme { "Acme", "12-34-56", "80", "Numeric", "2400", "NONE", "8", "2", "pw" };
    auto with = [&](auto change) {
        CompanyForm form = acme;
        change(form);
        return form;
    };
    const struct {
        CompanyForm form;
        TerminalRecord expected; // ignored when a message is expected
        std::string_view message;
    } cases[] = {
        // clang-format off
        { acme, { "DIG-Acme", "123456", 14, 2, 2400, 1, 2, 2, "pw" }, {} },
        { with([](CompanyForm& f) { f.name = "DIG-Acme"; }),
            { "DIG-Acme", "123456", 14, 2, 2400, 1, 2, 2, "pw" }, {} },
        { with([](CompanyForm& f) { f.service = "Alphanumeric"; f.maxChars = " 750 "; }),
            { "Acme", "123456", 750, 1, 2400, 1, 2, 2, "pw" }, {} },
        { with([](CompanyForm& f) { f.service = "Alphanumeric"; f.maxChars = "900"; f.parity = "MARK"; f.dataBits = "7"; f.stopBits = "1"; }),
            { "Acme", "123456", 750, 1, 2400, 3, 1, 1, "pw" }, {} },
        // Saved or renamed to nothing, a company would strand its users.
        { with([](CompanyForm& f) { f.name = "  "; }), {}, "Paging company field is empty" },
        { with([](CompanyForm& f) { f.phone = ""; }), {}, "Paging number field is empty" },
        { with([](CompanyForm& f) { f.name = "A\x1b[2Jcme"; f.password = "p\rw"; }),
            { "DIG-A [2Jcme", "123456", 14, 2, 2400, 1, 2, 2, "p w" }, {} },
        { with([](CompanyForm& f) { f.service = "Alphanumeric"; f.maxChars = "12a"; }), {},
            kMaxCharsNotANumber },
        { with([](CompanyForm& f) { f.service = "Alphanumeric"; f.maxChars = ""; }), {},
            kMaxCharsNotANumber },
        { with([](CompanyForm& f) { f.baud = "fast"; }), {}, kBaudNotANumber },
        { with([](CompanyForm& f) { f.baud = "38400"; }), {}, kBaudNotANumber },
        { with([](CompanyForm& f) { f.baud = "0"; }), {}, kBaudNotANumber },
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.form.name + "|" + c.form.maxChars + "|" + c.form.baud);
        const CompanyResult result = companyRecord(c.form, lastShown);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(result.ok, c.message.empty());
        if (result.ok) {
            EXPECT_EQ(result.record, c.expected);
        }
    }
}

TEST(CompanyRules, BoxesShowTheStoredCompanyAndANewOneStartsFromTheUsualSettings)
{
    EXPECT_EQ(newCompanyForm(), (CompanyForm { "", "", "80", "Alphanumeric", "19200", "EVEN", "7", "1", "" }));
    const TerminalRecord stored { "DIG-Acme                 ", "123456         ", 14, 2, 2400, 1, 2, 2,
        "pw          " };
    EXPECT_EQ(
        companyForm(stored), (CompanyForm { "DIG-Acme", "123456", "14", "Numeric", "2400", "NONE", "8", "2", "pw" }));
    // Values the editor never writes: "other than 1" is numeric, 8 bits, 2 stop bits; an unknown parity shows nothing.
    const TerminalRecord odd { "X", "1", 80, 0, 300, 7, 0, 0, std::string(12, '\0') };
    EXPECT_EQ(companyForm(odd), (CompanyForm { "X", "1", "80", "Numeric", "300", "", "8", "2", "" }));
    // What the form shows, saved unchanged, is the record again.
    const TerminalRecord alpha { "Ravenpage", "5550142", 80, 1, 9600, 2, 1, 1, "" };
    EXPECT_EQ(companyRecord(companyForm(alpha), {}).record, alpha);
}

TEST(CompanyRules, TheBoxesCorrectWhatIsTyped)
{
    const struct {
        const char* typed;
        const char* shown;
        bool capped;
    } maxChars[] = { { "800", "750", true }, { "750", "750", false }, { "751x", "750", true }, { "80", "80", false },
        { "abc", "abc", false }, { "", "", false } };
    for (const auto& c : maxChars) {
        bool capped = false;
        EXPECT_EQ(cappedMaxChars(c.typed, &capped), c.shown) << c.typed;
        EXPECT_EQ(capped, c.capped) << c.typed;
    }
    EXPECT_EQ(phoneBoxText("1-800-555-0142"), "1-800-555-01");
    EXPECT_EQ(phoneBoxText("555 0142   "), "555 0142");
    EXPECT_EQ(std::vector<std::string_view>(
                  choiceEntries(CompanyChoice::Baud).begin(), choiceEntries(CompanyChoice::Baud).end()),
        (std::vector<std::string_view> { "300", "1200", "2400", "4800", "9600", "14400", "19200" }));
}
