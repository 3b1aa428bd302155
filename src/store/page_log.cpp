#include "store/page_log.h"

#include "store/store_error.h"

#include <fstream>
#include <iterator>

namespace tolvane::store {

namespace {
std::filesystem::path logPath(const DataFolder& folder)
{
    return folder.programPath("LOG.DAT");
}
}  // namespace

void appendLogLine(const DataFolder& folder, std::string_view text)
{
    std::ofstream out(logPath(folder), std::ios::binary | std::ios::app);
    if (!out)
        throw StoreError(75, "cannot open " + logPath(folder).string());
    out << '"' << text << "\"\r\n";
    out.flush();
    if (!out)
        throw StoreError(75, "cannot write " + logPath(folder).string());
}

std::vector<std::string> readLog(const DataFolder& folder)
{
    std::ifstream in(logPath(folder), std::ios::binary);
    std::vector<std::string> records;
    if (!in)
        return records;
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t pos = 0;
    while (pos < all.size()) {
        const std::size_t open = all.find('"', pos);
        if (open == std::string::npos)
            break;
        const std::size_t close = all.find("\"\r\n", open + 1);
        if (close == std::string::npos) {
            // A last record whose closing quote never made it to disk: keep what is there.
            std::string rest = all.substr(open + 1);
            if (!rest.empty() && rest.back() == '"')
                rest.pop_back();
            records.push_back(std::move(rest));
            break;
        }
        records.push_back(all.substr(open + 1, close - open - 1));
        pos = close + 3;
    }
    return records;
}

void clearLog(const DataFolder& folder)
{
    std::error_code ec;
    std::filesystem::remove(logPath(folder), ec);
}

}  // namespace tolvane::store
