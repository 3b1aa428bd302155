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

// The pager ID as typed, with every "-" removed.
std::string cleanPagerId(std::string_view typed);

// An update rewrites the pager ID as a number: read from its start with blanks skipped, up to the first
// character that cannot continue a number, and written back as decimal text. Leading zeros go, and an ID
// that does not begin with a number becomes "0". A whole number keeps every digit however long it is.
std::string pagerIdAsNumber(std::string_view pagerId);

// A new user (the users tab's save): a member of no group; for a numeric company ("DIG-...") the name
// carries the prefix once and the pager ID is "0".
UserRecord newUserRecord(std::string_view name, std::string_view typedPagerId, std::string_view company);

// The current user as updated: as a new user, except that the pager ID is rewritten as a number (see
// pagerIdAsNumber) and the group memberships are kept.
UserRecord updatedUserRecord(
    const UserRecord& current, std::string_view name, std::string_view typedPagerId, std::string_view company);

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
// `lastShown` supplies what an unlisted parity text leaves alone. Save refuses an empty name or number;
// both add "DIG-" to a numeric company's name unless it already begins with it.
struct CompanyResult {
    bool ok = false;
    TerminalRecord record;
    std::string_view message;
};
enum class CompanyWrite { Save, Update };
CompanyResult companyRecord(CompanyWrite write, const CompanyForm& form, const TerminalRecord& lastShown);

// --- Groups --------------------------------------------------------------------------------------------

// Whether another group fits beside `count` existing ones.
inline bool canAddGroup(std::int32_t count)
{
    return count < kMaxGroups;
}

} // namespace tolvane::store
