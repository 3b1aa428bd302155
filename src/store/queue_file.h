#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// QUEUE.DAT in the program folder: the pages waiting on this workstation (the page queue, the scheduled list
// and a single page on its way), kept across exits, crashes and power loss. A journal of changes, each
// synced before the program goes on and checked by a CRC when read back; ARCHITECTURE.md gives the layout.
namespace tolvane::store {

inline constexpr std::string_view kQueueFileName = "QUEUE.DAT";

enum class KeptList { Queue, Scheduled, Single };

enum class KeptState {
    Waiting,
    Leaving, // handed to the line (its block, its digits), no answer yet
    MayHaveBeenSent, // left and never answered: the operator decides
    Sent,
    Overdue, // a scheduled page whose time passed while the program was closed
};

struct KeptPage {
    std::string id; // letters, digits and '-', at most 32
    KeptList list = KeptList::Queue;
    KeptState state = KeptState::Waiting;
    std::int64_t logOffset = -1; // LOG.DAT's length when the page left; -1 when it has not left
    // The page's other fields (its tries and last outcome), and those of a later program, written back as they
    // were read. A name is lower case letters; a value holds no blank, ':' or control character.
    std::vector<std::pair<std::string, std::string>> fields;
    std::string entry; // the queue entry, Windows-1252, any bytes
    bool operator==(const KeptPage&) const = default;
};

// One change: for each page id (once), its record as it now is, or nothing when the page is gone.
struct QueueChangeItem {
    std::string id;
    std::optional<KeptPage> page;
};
using QueueChange = std::vector<QueueChangeItem>;

struct QueueFileContents {
    enum class Condition {
        Missing, // nothing was ever kept here
        Whole, // every change read back
        TornTail, // the last change was cut short (the program died writing it): the state before it
        Damaged, // a change other than a cut-short last one is unreadable: the state before it
        Unreadable, // not a page queue file, or it cannot be read at all: no pages
    };
    Condition condition = Condition::Missing;
    std::vector<KeptPage> pages; // in the order they were first kept
    std::string problem; // what was wrong, for Damaged and Unreadable
};

// Reads the last whole state without changing anything, so a listing may run while the program writes.
QueueFileContents readQueueFile(const std::filesystem::path& path);

std::string encodeQueueChange(const QueueChange& change);
std::string_view queueFileHeader();

// Writes QUEUE.DAT. Every write is synced before it returns; a write that fails throws StoreError and the
// next write must be rewrite(), since the end of the file is then unknown.
class QueueFile {
public:
    explicit QueueFile(std::filesystem::path path);
    ~QueueFile();
    QueueFile(const QueueFile&) = delete;
    QueueFile& operator=(const QueueFile&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // Appends one change. Throws when the file is not the one the last rewrite made (removed, replaced).
    void append(const QueueChange& change);
    // The whole state in one change, written to a synced scratch file and renamed over the file; the folder
    // is synced too, so the rename itself survives a power loss.
    void rewrite(const std::vector<KeptPage>& pages);

    // Bytes appended since the last rewrite, and the size that rewrite wrote.
    std::uint64_t appendedBytes() const { return m_appended; }
    std::uint64_t rewrittenBytes() const { return m_rewritten; }

private:
    void closeFile();

    std::filesystem::path m_path;
    int m_fd = -1;
    std::uint64_t m_appended = 0;
    std::uint64_t m_rewritten = 0;
};

// Renames the file to an unused name beside it ("QUEUE.DAT.unreadable-20261207-091500"), never replacing
// anything; returns the new path. Throws StoreError.
std::filesystem::path setFileAside(const std::filesystem::path& path);

} // namespace tolvane::store
