#pragma once

#include "store/records.h"

#include <cstdint>
#include <string>
#include <string_view>

// One page waiting to be sent: a text line with fixed columns (1-based positions)
//   1-25 company, 26-50 name, 51-150 pager ID, 152-163 time, 165-174 date, 176-195 status, 197- message,
// single blanks between them. The company column stands first so a sorted queue groups each company.
namespace tolvane::engine {

inline constexpr std::string_view kStatusReady = "Ready to Send";
inline constexpr std::string_view kStatusScheduled = "Page is Scheduled   ";
// A numeric page already dialled. Only the status column changes, so the entry keeps its company column
// and its place in the sorted queue; "P" sorts before the "R" of a ready twin queued at the same minute.
inline constexpr std::string_view kStatusSent = "PAGE SENT";
// A page that left for the paging company and got no answer (the call ended, or the program died, on its
// way): it is never sent again by itself.
inline constexpr std::string_view kStatusMayHaveBeenSent = "may have been sent";
// A scheduled page whose time passed while the program was closed: it waits for the operator, not the timer.
inline constexpr std::string_view kStatusOverdue = "Page is Overdue";

// The message is taken into a 300-character field and then cut to the limit (at most 300).
std::string buildQueueEntry(const store::UserRecord& user, std::string_view timeText, std::string_view dateText,
    std::string_view message, std::int16_t limit, std::string_view status = kStatusReady);

// Columns with their padding; a short entry reads as if blank padded.
std::string companyColumn(std::string_view entry);
std::string nameColumn(std::string_view entry);
std::string pagerIdColumn(std::string_view entry);
std::string timeColumn(std::string_view entry);
std::string dateColumn(std::string_view entry);
std::string statusColumn(std::string_view entry);
// The 22 characters from position 152 (time, a blank, nine characters of the date) that go to the log.
std::string logStampColumn(std::string_view entry);
// The message column read at the limit: `limit` characters from position 197.
std::string messageColumn(std::string_view entry, std::int16_t limit);

// The LOG.DAT text for a page: `outcome` ("PAGE SENT: ", "ERROR FOR: "), name column, stamp, and the message
// column with its control characters blanked, as the line carried it: a seven-bit line (TAP, touch tones) blanks
// what masks to a control character, an eight-bit one (SNPP, WCTP) only the controls themselves.
enum class LineBits { Seven, Eight };
std::string pageLogLine(
    std::string_view outcome, std::string_view entry, std::int16_t limit, LineBits bits = LineBits::Seven);

// The same entry with another status column.
std::string withStatus(std::string_view entry, std::string_view status);
// Whether the entry carries kStatusSent: a send walks past it.
bool isMarkedSent(std::string_view entry);
// Whether a send takes the entry: not sent, and not one that may have been sent.
bool waitsToBeSent(std::string_view entry);

} // namespace tolvane::engine
