#pragma once

#include "store/data_folder.h"
#include "store/queue_file.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tolvane::dispatch {

// Keeps the desk's pages in QUEUE.DAT: the lists report each change of a page here, and every change reaches
// the disk before the command that made it returns. A change that cannot be written leaves the pages in
// memory, says so once, and the next change that succeeds writes the whole state.
//
//     KeptQueue kept(folder);                // QUEUE.DAT in the program folder
//     auto opened = kept.open();             // at start-up: what was kept, the file set aside if unreadable
//     kept.setEveryPage([&] { ... });        // all pages now, for writing the whole state
//     { KeptQueue::Change change(&kept); list.insert(...); list.removeAt(...); }   // one write
class KeptQueue {
public:
    explicit KeptQueue(const store::DataFolder& folder);
    KeptQueue(const KeptQueue&) = delete;
    KeptQueue& operator=(const KeptQueue&) = delete;

    struct Opened {
        std::vector<store::KeptPage> pages;
        // The file could not be read (whole): where it was put, and what was wrong. The pages read before
        // the damage are in `pages`.
        std::filesystem::path setAsidePath;
        std::string problem;
    };
    // Reads the file; an unreadable one is set aside under a new name, never overwritten. When even that
    // fails, nothing is written to the file for the rest of the run (and `problem` says so).
    Opened open();

    void setEveryPage(std::function<std::vector<store::KeptPage>()> everyPage) { m_everyPage = std::move(everyPage); }
    // Called once for each failure after a success: what could not be kept.
    void setProblemReport(std::function<void(const std::string&)> report) { m_report = std::move(report); }

    // Pages changed or gone: written at once, or at the end of the open Change.
    void put(store::KeptPage page);
    void drop(const std::string& id);

    // Gathers the puts and drops made while it lives into one write (nested: the outermost writes).
    class Change {
    public:
        explicit Change(KeptQueue* kept);
        ~Change();
        Change(const Change&) = delete;
        Change& operator=(const Change&) = delete;

    private:
        KeptQueue* m_kept;
    };

    // Writes the whole state now (start-up, and the end of a run that grew the file). True when the file
    // holds what memory holds.
    bool saveAll();
    // saveAll when the changes appended since the last one outweigh the pages (at the end of each Change).
    void compactIfLarge();
    bool saved() const { return !m_disabled && !m_behind && m_open.empty(); }

    // LOG.DAT's length now: where a page's line will begin when it leaves.
    std::int64_t pageLogLength() const;
    const std::filesystem::path& path() const { return m_file.path(); }

private:
    void commit();
    void failed(const std::string& what);

    const store::DataFolder& m_folder;
    store::QueueFile m_file;
    std::function<std::vector<store::KeptPage>()> m_everyPage;
    std::function<void(const std::string&)> m_report;
    store::QueueChange m_open;
    std::unordered_map<std::string, std::size_t> m_openIndex;
    int m_depth = 0;
    bool m_behind = false; // the file lacks a change that failed: the next write is the whole state
    bool m_told = false;
    bool m_disabled = false; // an unreadable file that could not be set aside is never written over
};

// What LOG.DAT says of a page that was leaving when the program died. Its line is written before the page is
// marked answered, and begins at or after the log length the page left with.
enum class LoggedAnswer { None, Delivered, Refused };
LoggedAnswer loggedAnswer(
    const store::DataFolder& folder, std::string_view entry, std::int64_t logOffset, std::int16_t limit);

// The kept pages for scripts and the support desk, one line each: list, company, name, pager ID, time, date,
// status ("being sent" for a page on its way) and message, separated by TABs, without their padding, and
// control characters shown as blanks. Windows-1252.
std::string keptQueueListing(const std::vector<store::KeptPage>& pages);

// Identities for new pages: 16 hexadecimal digits, random, so a page keeps one that no other page on this or
// another workstation has, across restarts and a lost QUEUE.DAT alike.
std::string newPageId();

} // namespace tolvane::dispatch
