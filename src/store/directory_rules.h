#pragma once

#include "store/records.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// What the directory editor stores for what the operator typed: the rules of the user, paging company and
// group records, kept apart from the windows so they hold wherever the records are written. Text is
// Windows-1252 bytes, as the files carry it.
namespace tolvane::store {

inline constexpr std::string_view kChooseListedCompany = "You must select a present Pager Company in this field";
inline constexpr std::string_view kMaxCharsCapped = "750 Charactor Max";
inline constexpr std::string_view kCompanyNameEmpty = "Paging company field is empty";
inline constexpr std::string_view kCompanyPhoneEmpty = "Paging number field is empty";
inline constexpr std::string_view kMaxCharsNotANumber
    = "Max Characters must be a whole number from 0 to 750. Nothing was saved.";
inline constexpr std::string_view kBaudNotANumber
    = "Baud must be a whole number of bits per second, such as 9600 or 19200. Nothing was saved.";
inline constexpr std::string_view kCompanyInUseQuestion
    = "Warning There are Users using this pager company. You can still delete pager company but you should update "
      "your User records after. Do you wish to continue?";
inline constexpr std::string_view kLineSettingsWarning
    = "Warning... 99% of paging companies use the settings Parity=Even Data=7 Stop=1 so if this does not work try "
      "theses settings";
inline constexpr std::string_view kGroupLimitReached
    = "This version only supports 10 groups.. Look for this to change in future versions";

inline constexpr std::int16_t kMaxCharsCap = 750;
inline constexpr std::int16_t kNumericMaxChars = 14;
// A user record has ten flag characters, one per group.
inline constexpr std::int32_t kMaxGroups = 10;
inline constexpr std::size_t kPhoneBoxLength = 12;

// A stored text field as a box shows it: without its trailing blanks, or the NUL bytes of a record that
// was never written.
std::string shownText(std::string_view field);

// --- Users ---------------------------------------------------------------------------------------------

inline constexpr std::string_view kUserNameEmpty = "User name field is empty";
inline constexpr std::string_view kPagerIdEmpty = "Pager ID field is empty";
inline constexpr std::string_view kUserCompanyEmpty = "Pager Company field is empty: choose one from the list";
inline constexpr std::string_view kPagerIdControl
    = "The pager ID holds a control character (a tab or a line break, perhaps pasted). Type it again. Nothing was "
      "saved.";
inline constexpr std::string_view kPagerIdTouchTone
    = "A numeric pager's ID can hold only digits, * and #: a touch-tone pad has no other keys. Nothing was saved.";
inline constexpr std::string_view kUserNameColon
    = "A user name cannot hold a colon (:). The command line takes everything before the first colon as the name, "
      "so such a user could never be paged from it. Nothing was saved.";

// The users tab's boxes as text.
struct UserForm {
    std::string name;
    std::string pagerId;
    std::string company;
};

// The pager ID as typed, with every blank and "-" removed: an address, so a leading zero stays.
std::string cleanPagerId(std::string_view typed);

// The record save or update writes, or a message and no record when it would be a user no one can page: no
// name, pager ID or company, a control character in the ID, a numeric pager's ID a touch-tone pad cannot key,
// a name the command line cannot name (a colon; an unchanged old name is kept), or a name too long to store
// whole. Control characters in the name become blanks. A user of a numeric company ("DIG-...") carries the
// prefix once and the pager ID "0"; save makes a member of no group, update keeps `current`'s memberships.
struct UserResult {
    bool ok = false;
    UserRecord record;
    std::string message;
};
enum class UserWrite { Save, Update };
UserResult userRecord(UserWrite write, const UserForm& form, const UserRecord& current = {});

// --- Paging companies ----------------------------------------------------------------------------------

// The paging company tab's boxes as text: what a record shows, and what save and update read back.
struct CompanyForm {
    std::string name;
    std::string phone;
    std::string maxChars;
    std::string service; // "Alphanumeric", "Numeric"
    std::string baud;
    std::string parity; // "NONE", "EVEN", "ODD"
    std::string dataBits; // "7", "8"
    std::string stopBits; // "1", "2"
    std::string password;
    bool operator==(const CompanyForm&) const = default;
};

// The drop-down boxes and the entries each offers.
enum class CompanyChoice { Service, Baud, Parity, DataBits, StopBits };
std::span<const std::string_view> choiceEntries(CompanyChoice choice);
// Parity, data bits and stop bits warn before they drop down: almost every company uses E, 7, 1.
bool warnsBeforeDropDown(CompanyChoice choice);

// A new company's boxes: 80 characters, alphanumeric, 19200 baud, EVEN, 7, 1, no name, number or password.
CompanyForm newCompanyForm();
// A stored company as its boxes show it (trailing blanks removed, numbers and choices as their texts).
CompanyForm companyForm(const TerminalRecord& record);

// What the MAXCHAR box holds after the operator's change: "750" when the number in it is larger (the caller
// shows kMaxCharsCapped), otherwise unchanged.
std::string cappedMaxChars(std::string_view text, bool* capped = nullptr);
// What the PAGEPHONE box holds after the operator's change: trailing blanks removed, cut to 12.
std::string phoneBoxText(std::string_view text);

// The record save or update writes, or a message and no record when a box holds what cannot be stored.
// `lastShown` supplies what an unlisted parity text leaves alone. Both refuse an empty name or number (a
// company renamed to nothing would strand its users) and a name too long to store whole; both add "DIG-" to
// a numeric company's name unless it already begins with it. Control characters become blanks.
struct CompanyResult {
    bool ok = false;
    TerminalRecord record;
    std::string message;
};
enum class CompanyWrite { Save, Update };
CompanyResult companyRecord(const CompanyForm& form, const TerminalRecord& lastShown);

// --- Groups --------------------------------------------------------------------------------------------

inline constexpr std::string_view kGroupNameEmpty = "Group name field is empty";

// Whether another group fits beside `count` existing ones.
inline bool canAddGroup(std::int32_t count)
{
    return count < kMaxGroups;
}

// A new group, or a message: a name is required; control characters become blanks.
struct GroupResult {
    bool ok = false;
    GroupRecord record;
    std::string message;
};
GroupResult groupRecord(std::string_view name, std::string_view comment);

// --- Every field ---------------------------------------------------------------------------------------

// Pasted tabs, line breaks and escapes would show as boxes in every list, or reach a terminal: each control
// character becomes a blank, a CR LF pair one blank, as in messages.
std::string controlsAsBlanks(std::string_view text);

} // namespace tolvane::store
