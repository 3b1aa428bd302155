#include "store/queue_file.h"

#include "store/record_file.h"
#include "store/store_error.h"
#include "store/word_table.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace tolvane::store {
namespace {

constexpr std::string_view kHeader = "TOLVANE PAGE QUEUE 1\r\n";
// Far beyond any real queue: a file this large is not ours, and reading it could exhaust the memory.
constexpr std::uint64_t kLargestFile = 256ull << 20;
constexpr std::size_t kLongestEntry = 65536;
constexpr std::size_t kLongestLineStart = 1024;

constexpr WordTable<KeptList, 3> kListWords { { { KeptList::Queue, "queue" }, { KeptList::Scheduled, "scheduled" },
    { KeptList::Single, "single" } } };
constexpr WordTable<KeptState, 5> kStateWords { {
    { KeptState::Waiting, "waiting" },
    { KeptState::Leaving, "leaving" },
    { KeptState::MayHaveBeenSent, "maybe-sent" },
    { KeptState::Sent, "sent" },
    { KeptState::Overdue, "overdue" },
} };

bool isIdChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-';
}

bool validId(std::string_view id)
{
    return !id.empty() && id.size() <= 32 && std::all_of(id.begin(), id.end(), isIdChar);
}

bool validFieldName(std::string_view name)
{
    return !name.empty() && name.size() <= 32
        && std::all_of(name.begin(), name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

bool validFieldValue(std::string_view value)
{
    return !value.empty() && value.size() <= 256 && std::all_of(value.begin(), value.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte > 0x20 && byte != 0x7f && c != ':';
    });
}

template <class Number> std::optional<Number> numberIn(std::string_view text, int base = 10)
{
    Number value {};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::uint32_t crcOf(std::string_view bytes)
{
    return static_cast<std::uint32_t>(crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

std::vector<std::string_view> split(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t blank = std::min(text.find(' ', at), text.size());
        words.push_back(text.substr(at, blank - at));
        at = blank + 1;
    }
    return words;
}

// Reads the changes of a file's text one by one; each is checked whole before any of it counts.
class ChangeReader {
public:
    explicit ChangeReader(std::string_view data)
        : m_data(data)
    {
    }

    // The change at `pos`, and `pos` moved past it; nothing (and why) when it cannot be read.
    std::optional<QueueChange> next(std::size_t& pos, std::string& why)
    {
        m_at = pos;
        QueueChange change;
        for (;;) {
            const std::string_view rest = m_data.substr(m_at);
            if (rest.starts_with("page ")) {
                auto page = pageLine(why);
                if (!page)
                    return std::nullopt;
                std::string id = page->id;
                change.push_back({ std::move(id), std::move(*page) });
            } else if (rest.starts_with("drop ")) {
                const auto id = lineAfter(5);
                if (!id || !validId(*id))
                    return fail(why, "a dropped page without a valid id");
                change.push_back({ std::string(*id), std::nullopt });
            } else if (rest.starts_with("end ")) {
                const std::size_t endLine = m_at;
                const auto line = lineAfter(4);
                const auto words = line ? split(*line) : std::vector<std::string_view> {};
                if (words.size() != 2 || numberIn<std::size_t>(words[0]) != change.size()
                    || numberIn<std::uint32_t>(words[1], 16) != crcOf(m_data.substr(pos, endLine - pos)))
                    return fail(why, "a change whose count or check sum does not match");
                pos = m_at;
                return change;
            } else {
                return fail(why, "a line of unknown kind");
            }
        }
    }

private:
    std::nullopt_t fail(std::string& why, const char* text)
    {
        why = text;
        return std::nullopt;
    }

    // The rest of the line from `m_at + skip`, and m_at moved past its CR LF.
    std::optional<std::string_view> lineAfter(std::size_t skip)
    {
        const std::size_t from = m_at + skip;
        const std::size_t end = m_data.find("\r\n", from);
        if (end == std::string_view::npos || end - from > kLongestLineStart)
            return std::nullopt;
        m_at = end + 2;
        return m_data.substr(from, end - from);
    }

    // "page <id> <list> <state> [name=value ...] <length>:<entry>" CR LF
    std::optional<KeptPage> pageLine(std::string& why)
    {
        const std::size_t from = m_at + 5;
        const std::size_t colon = m_data.find(':', from);
        if (colon == std::string_view::npos || colon - from > kLongestLineStart)
            return fail(why, "a page line without its length");
        const std::string_view head = m_data.substr(from, colon - from);
        if (head.find_first_of("\r\n") != std::string_view::npos)
            return fail(why, "a page line broken off");
        const auto words = split(head);
        if (words.size() < 4)
            return fail(why, "a page line with too few fields");
        KeptPage page;
        page.id = std::string(words[0]);
        const auto list = valueOf(kListWords, words[1]);
        const auto state = valueOf(kStateWords, words[2]);
        const auto length = numberIn<std::size_t>(words.back());
        if (!validId(page.id) || !list || !state || !length || *length > kLongestEntry)
            return fail(why, "a page line with a field that cannot be read");
        page.list = *list;
        page.state = *state;
        for (std::size_t i = 3; i + 1 < words.size(); ++i) {
            const std::size_t equals = words[i].find('=');
            const std::string_view name = words[i].substr(0, equals);
            const std::string_view value = equals == std::string_view::npos ? "" : words[i].substr(equals + 1);
            if (!validFieldName(name) || !validFieldValue(value))
                return fail(why, "a page line with a field that cannot be read");
            if (name == "log") {
                const auto offset = numberIn<std::int64_t>(value);
                if (!offset || *offset < 0)
                    return fail(why, "a page line with a field that cannot be read");
                page.logOffset = *offset;
            } else {
                page.fields.emplace_back(name, value);
            }
        }
        const std::size_t entryAt = colon + 1;
        if (m_data.size() - entryAt < *length + 2 || m_data.substr(entryAt + *length, 2) != "\r\n")
            return fail(why, "a page line broken off");
        page.entry = std::string(m_data.substr(entryAt, *length));
        m_at = entryAt + *length + 2;
        return page;
    }

    std::string_view m_data;
    std::size_t m_at = 0;
};

// A change that was cut short ends the file without its end line; any complete end line after the place
// where reading failed means something else went wrong there.
bool endsInACutShortChange(std::string_view tail)
{
    for (std::size_t at = tail.find("end "); at != std::string_view::npos; at = tail.find("end ", at + 1)) {
        const bool startsLine = at == 0 || (at >= 2 && tail.substr(at - 2, 2) == "\r\n");
        if (startsLine && tail.find("\r\n", at) != std::string_view::npos)
            return false;
    }
    return true;
}

class PageState {
public:
    void apply(QueueChange& change)
    {
        for (auto& item : change) {
            const auto found = m_index.find(item.id);
            if (item.page) {
                if (found != m_index.end()) {
                    m_pages[found->second] = std::move(item.page);
                } else {
                    m_index.emplace(item.id, m_pages.size());
                    m_pages.push_back(std::move(item.page));
                }
            } else if (found != m_index.end()) {
                m_pages[found->second].reset();
                m_index.erase(found);
            }
        }
    }

    std::vector<KeptPage> pages() &&
    {
        std::vector<KeptPage> out;
        for (auto& page : m_pages) {
            if (page)
                out.push_back(std::move(*page));
        }
        return out;
    }

private:
    std::vector<std::optional<KeptPage>> m_pages;
    std::unordered_map<std::string, std::size_t> m_index;
};

[[noreturn]] void failWith(int err, const std::filesystem::path& path, const char* what)
{
    const int number = err == ENOSPC || err == EDQUOT || err == EFBIG ? 61
        : err == EACCES || err == EROFS || err == EPERM               ? 70
                                                                      : 75;
    throw StoreError(number, std::string(what) + " " + path.string() + ": " + std::strerror(err));
}

QueueFileContents unreadable(std::string problem)
{
    QueueFileContents contents;
    contents.condition = QueueFileContents::Condition::Unreadable;
    contents.problem = std::move(problem);
    return contents;
}

} // namespace

std::string_view queueFileHeader()
{
    return kHeader;
}

std::string encodeQueueChange(const QueueChange& change)
{
    std::string out;
    for (const auto& item : change) {
        if (!item.page) {
            out.append("drop ").append(item.id).append("\r\n");
            continue;
        }
        const KeptPage& page = *item.page;
        out.append("page ").append(page.id).append(1, ' ').append(wordOf(kListWords, page.list));
        out.append(1, ' ').append(wordOf(kStateWords, page.state));
        if (page.logOffset >= 0)
            out.append(" log=").append(std::to_string(page.logOffset));
        for (const auto& [name, value] : page.fields)
            out.append(1, ' ').append(name).append(1, '=').append(value);
        out.append(1, ' ').append(std::to_string(page.entry.size())).append(1, ':').append(page.entry).append("\r\n");
    }
    char end[32];
    std::snprintf(end, sizeof end, "end %zu %08X\r\n", change.size(), crcOf(out));
    return out.append(end);
}

QueueFileContents readQueueFile(const std::filesystem::path& path)
{
    // Non-blocking, so a FIFO put in the file's place cannot hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return {};
        return unreadable(std::string("it cannot be opened: ") + std::strerror(errno));
    }
    struct stat st { };
    std::string data;
    std::string problem;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        problem = "it is not a regular file";
    else if (static_cast<std::uint64_t>(st.st_size) > kLargestFile)
        problem = "it is too large to be a page queue";
    else {
        data.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t got = ::read(fd, data.data() + done, data.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                problem = std::string("it cannot be read: ") + std::strerror(errno);
                break;
            }
            if (got == 0)
                break;
            done += static_cast<std::size_t>(got);
        }
        data.resize(done);
    }
    ::close(fd);
    if (!problem.empty())
        return unreadable(problem);

    QueueFileContents contents;
    contents.condition = QueueFileContents::Condition::Whole;
    if (data.empty())
        return contents;
    if (!data.starts_with(kHeader)) {
        if (!kHeader.starts_with(data))
            return unreadable("it is not a page queue file");
        contents.condition = QueueFileContents::Condition::TornTail;
        return contents;
    }
    PageState state;
    ChangeReader reader(data);
    std::size_t pos = kHeader.size();
    while (pos < data.size()) {
        std::string why;
        const std::size_t start = pos;
        auto change = reader.next(pos, why);
        if (!change) {
            if (endsInACutShortChange(std::string_view(data).substr(start))) {
                contents.condition = QueueFileContents::Condition::TornTail;
            } else {
                contents.condition = QueueFileContents::Condition::Damaged;
                contents.problem = "from byte " + std::to_string(start) + " on it holds " + why;
            }
            break;
        }
        state.apply(*change);
    }
    contents.pages = std::move(state).pages();
    return contents;
}

QueueFile::QueueFile(std::filesystem::path path)
    : m_path(std::move(path))
{
}

QueueFile::~QueueFile()
{
    closeFile();
}

void QueueFile::closeFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void QueueFile::append(const QueueChange& change)
{
    if (m_fd < 0)
        throw StoreError(75, "the end of " + m_path.string() + " is not known since its last write failed");
    // Appending to a file that was removed or replaced meanwhile would keep nothing.
    struct stat mine { };
    struct stat named { };
    if (::fstat(m_fd, &mine) != 0 || ::stat(m_path.c_str(), &named) != 0 || mine.st_ino != named.st_ino
        || mine.st_dev != named.st_dev) {
        closeFile();
        throw StoreError(75, m_path.string() + " was removed or replaced by another program");
    }
    const std::string bytes = encodeQueueChange(change);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0) {
            const int err = errno;
            // Take the piece back where the disk allows; the next write replaces the whole file anyway.
            [[maybe_unused]] const int ignored = ::ftruncate(m_fd, mine.st_size);
            closeFile();
            failWith(err, m_path, "cannot write");
        }
        done += static_cast<std::size_t>(put);
    }
    if (::fdatasync(m_fd) != 0) {
        const int err = errno;
        closeFile();
        failWith(err, m_path, "cannot write");
    }
    m_appended += bytes.size();
}

void QueueFile::rewrite(const std::vector<KeptPage>& pages)
{
    closeFile();
    QueueChange all;
    all.reserve(pages.size());
    for (const auto& page : pages)
        all.push_back({ page.id, page });
    std::string bytes(kHeader);
    bytes += encodeQueueChange(all);
    replaceWholeFile(m_path, bytes);
    m_rewritten = bytes.size();
    m_appended = 0;
    // The pages are on disk; when the file cannot be opened for the next change, that change rewrites it.
    m_fd = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
}

std::filesystem::path setFileAside(const std::filesystem::path& path)
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = path.filename().string() + ".unreadable-" + stamp;
    for (int n = 1; n < 1000; ++n) {
        const std::filesystem::path target = path.parent_path() / (n == 1 ? base : base + "-" + std::to_string(n));
        int err = ::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
        if (err == EINVAL || err == ENOSYS) {
            // A file system that cannot refuse to replace: the program folder is ours alone, so looking first is
            // enough.
            std::error_code ec;
            if (std::filesystem::exists(target, ec))
                err = EEXIST;
            else
                err = ::rename(path.c_str(), target.c_str()) == 0 ? 0 : errno;
        }
        if (err == 0) {
            syncFolder(target.parent_path());
            return target;
        }
        if (err != EEXIST)
            failWith(err, path, "cannot set aside");
    }
    throw StoreError(75, "cannot set aside " + path.string() + ": no free name beside it");
}

} // namespace tolvane::store
