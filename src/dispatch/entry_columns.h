#pragma once

#include <array>
#include <optional>
#include <string_view>

// How the Events window shows queue entries and page-log lines as tables: the columns each is cut into
// (views into the text, trailing blanks removed, still Windows-1252) and the order the time and date sort in.
namespace tolvane::dispatch {

inline constexpr std::array<std::string_view, 7> kEntryHeaders { "Company", "Name", "Pager ID", "Time", "Date",
    "Status", "Message" };
enum EntryColumn { EntryCompany, EntryName, EntryPagerId, EntryTime, EntryDate, EntryStatus, EntryMessage };
std::string_view entryColumn(std::string_view entry, int column);

inline constexpr std::array<std::string_view, 5> kLogHeaders { "Outcome", "Name", "Time", "Date", "Message" };
enum LogColumn { LogOutcome, LogName, LogTime, LogDate, LogMessage };
// "Sent" or "Error" for a line's "PAGE SENT: " or "ERROR FOR: "; the date as the line holds it, its year
// left out where the nine characters the log keeps of the date cut it ("12/06/202" shows as "12/06").
std::string_view logColumn(std::string_view line, int column);

// A time and date as one number that sorts in time order; nothing when either does not read as one.
std::optional<long long> momentKey(std::string_view time, std::string_view date);

} // namespace tolvane::dispatch
