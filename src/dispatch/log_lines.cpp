#include "dispatch/log_lines.h"

#include "dispatch/entry_columns.h"
#include "store/page_log.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace tolvane::dispatch {
namespace {

std::string part(std::string_view line, std::size_t position, std::size_t width)
{
    const std::size_t start = position - 1;
    return start < line.size() ? std::string(line.substr(start, width)) : std::string();
}

} // namespace

LogLineParts logLineParts(std::string_view line, int limit)
{
    return LogLineParts { part(line, 1, 11), part(line, 12, 25), part(line, 37, 8),
        std::string(logColumn(line, LogDate)), part(line, 59, static_cast<std::size_t>(std::max(limit, 0))) };
}

std::vector<std::string> loadLog(const store::DataFolder& folder)
{
    const std::filesystem::path path = folder.programPath("LOG.DAT");
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error)
        std::ofstream(path, std::ios::app | std::ios::binary); // a folder that cannot be written just has no log
    return store::readLog(folder);
}

std::string eraseLogQuestion(std::size_t lines)
{
    const std::string digits = std::to_string(lines);
    std::string count;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            count += ',';
        count += digits[i];
    }
    return "Erase the page log? It holds " + count + (lines == 1 ? " line." : " lines.");
}

bool eraseLogAsked(const store::DataFolder& folder, const std::function<bool(const std::string&)>& ask)
{
    for (std::size_t lines = store::readLog(folder).size(); lines > 0;) {
        if (!ask(eraseLogQuestion(lines)))
            return false;
        const std::size_t now = store::readLog(folder).size();
        if (now == lines)
            break;
        lines = now;
    }
    return store::clearLog(folder);
}

} // namespace tolvane::dispatch
