#include "store/directory_rules.h"

#include <gtest/gtest.h>

using namespace tolvane::store;

TEST(UserRules, SaveAndUpdateStoreWhatTheOperatorMeant)
{
    UserRecord current;
    current.GroupFlags = "0100000001";
    const struct {
        bool update;
        const char* name;
        const char* pagerId;
        const char* company;
        const char* storedName;
        const char* storedId;
    } cases[] = {
        { false, "Ann", "123-456", "Ravenpage", "Ann", "123456" },
        { false, "Ann", "00123", "Ravenpage", "Ann", "00123" },
        { false, "Ann", "555", "DIG-Beeps", "DIG-Ann", "0" },
        { false, "DIG-Ann", "555", "DIG-Beeps", "DIG-Ann", "0" },
        { true, "Ann", "00123", "Ravenpage", "Ann", "123" },
        { true, "Ann", "0-0-1-2-3", "Ravenpage", "Ann", "123" },
        { true, "Ann", " 12 34x9", "Ravenpage", "Ann", "1234" },
        { true, "Ann", "PIN12", "Ravenpage", "Ann", "0" },
        { true, "Ann", "000", "Ravenpage", "Ann", "0" },
        { true, "Ann", "12.50", "Ravenpage", "Ann", "12.5" },
        { true, "Ann", "1E3", "Ravenpage", "Ann", "1000" },
        { true, "Ann", "0012345678901234567", "Ravenpage", "Ann", "12345678901234567" },
        { true, "DIG-Ann", "77", "DIG-Beeps", "DIG-Ann", "0" },
        { true, "Ann", "77", "DIG-Beeps", "DIG-Ann", "0" },
    };
    for (const auto& c : cases) {
        const UserRecord user = c.update ? updatedUserRecord(current, c.name, c.pagerId, c.company)
                                         : newUserRecord(c.name, c.pagerId, c.company);
        SCOPED_TRACE(std::string(c.update ? "update " : "save ") + c.name + " " + c.pagerId);
        EXPECT_EQ(user.UserName, c.storedName);
        EXPECT_EQ(user.PagerId, c.storedId);
        EXPECT_EQ(user.PagingCompany, c.company);
        EXPECT_EQ(user.GroupFlags, c.update ? "0100000001" : "0000000000") << "memberships kept only on update";
    }
}

TEST(CompanyRules, SaveAndUpdateTurnTheBoxesIntoARecordOrRefuseThem)
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
        CompanyWrite write;
        CompanyForm form;
        TerminalRecord expected; // ignored when a message is expected
        std::string_view message;
    } cases[] = {
        // clang-format off
        { CompanyWrite::Save, acme, { "DIG-Acme", "123456", 14, 2, 2400, 1, 2, 2, "pw" }, {} },
        { CompanyWrite::Update, with([](CompanyForm& f) { f.name = "DIG-Acme"; }),
            { "DIG-Acme", "123456", 14, 2, 2400, 1, 2, 2, "pw" }, {} },
        { CompanyWrite::Save, with([](CompanyForm& f) { f.service = "Alphanumeric"; f.maxChars = " 750 "; }),
            { "Acme", "123456", 750, 1, 2400, 1, 2, 2, "pw" }, {} },
        { CompanyWrite::Save,
            with([](CompanyForm& f) { f.service = "Alphanumeric"; f.maxChars = "900"; f.parity = "MARK"; f.dataBits = "7"; f.stopBits = "1"; }),
            { "Acme", "123456", 750, 1, 2400, 3, 1, 1, "pw" }, {} },
        { CompanyWrite::Save, with([](CompanyForm& f) { f.name = "  "; }), {}, "Paging company field is empty" },
        { CompanyWrite::Save, with([](CompanyForm& f) { f.phone = ""; }), {}, "Paging number field is empty" },
        { CompanyWrite::Update, with([](CompanyForm& f) { f.name = ""; f.phone = ""; }),
            { "DIG-", "", 14, 2, 2400, 1, 2, 2, "pw" }, {} },
        { CompanyWrite::Save, with([](CompanyForm& f) { f.service = "Alphanumeric"; f.maxChars = "12a"; }), {},
            kMaxCharsNotANumber },
        { CompanyWrite::Update, with([](CompanyForm& f) { f.service = "Alphanumeric"; f.maxChars = ""; }), {},
            kMaxCharsNotANumber },
        { CompanyWrite::Save, with([](CompanyForm& f) { f.baud = "fast"; }), {}, kBaudNotANumber },
        { CompanyWrite::Save, with([](CompanyForm& f) { f.baud = "38400"; }), {}, kBaudNotANumber },
        { CompanyWrite::Save, with([](CompanyForm& f) { f.baud = "0"; }), {}, kBaudNotANumber },
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.form.name + "|" + c.form.maxChars + "|" + c.form.baud);
        const CompanyResult result = companyRecord(c.write, c.form, lastShown);
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
    EXPECT_EQ(companyRecord(CompanyWrite::Update, companyForm(alpha), {}).record, alpha);
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
