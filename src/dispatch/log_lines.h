#pragma once

#include "store/data_folder.h"

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

} // namespace tolvane::dispatch
