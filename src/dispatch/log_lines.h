#pragma once

#include "store/data_folder.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Reading the page log back for the log viewer.
namespace tolvane::dispatch {

// The parts of one LOG.DAT line (1-based columns): status 1-11, user 12-36, time 37-44, the date as the
// log table shows it (from 50, its year where the line holds it whole), and the message from 59 on, at most
// `limit` characters. A short line gives what it has.
struct LogLineParts {
    std::string status;
    std::string user;
    std::string time;
    std::string date;
    std::string message;
    bool operator==(const LogLineParts&) const = default;
};

LogLineParts logLineParts(std::string_view line, int limit);

// loadLog: every line of LOG.DAT in file order. A missing log is created empty, as the log viewer always
// did, and reads as no lines.
std::vector<std::string> loadLog(const store::DataFolder& folder);

// "Erase the page log? It holds 1,204 lines."
std::string eraseLogQuestion(std::size_t lines);

// "Clear File": the log is the only record of what was sent, so a log that holds lines is erased only on a
// Yes to eraseLogQuestion, counted as the file stands when asked (and asked again when pages were logged
// while the question was open). An empty log goes without asking. True when the file was deleted.
bool eraseLogAsked(const store::DataFolder& folder, const std::function<bool(const std::string&)>& ask);

} // namespace tolvane::dispatch
