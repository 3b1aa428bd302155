#pragma once

#include "dispatch/page_tries.h"
#include "engine/page_queue.h"
#include "store/queue_file.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvane::dispatch {

class KeptQueue;

// What a list knows of a page besides its entry.
struct PageMark {
    std::string id; // the page's identity, the same in every list it moves to and on every try
    bool leaving = false; // handed to the line and not answered yet
    std::int64_t logOffset = -1; // LOG.DAT's length when it left
    std::vector<std::pair<std::string, std::string>> otherFields; // kept for a later program, as read
    PageTries tries; // what its tries came to
    bool answered = false; // answered for during the call in progress (not kept)
};

// A list of queue entries kept in ascending order of the whole entry, compared byte by byte (so case
// matters and all pages of one company column always stand together). Used for the page queue and the
// scheduled list. Each entry is a page with an identity; a list kept in a KeptQueue reports every change
// of its pages there.
class EntryList : public engine::PageQueue {
public:
    EntryList() = default;
    EntryList(const EntryList&) = delete;
    EntryList& operator=(const EntryList&) = delete;

    // Puts the entry at its sorted place (after equal entries) and returns its index: a new page, or one that
    // keeps the identity it had (moved from another list, read back at start-up).
    int insert(std::string entry);
    int insert(std::string entry, PageMark mark);
    // Out of range does nothing.
    void removeAt(int index);
    // Removes the page and hands it over, identity and all, for another list.
    std::pair<std::string, PageMark> takeAt(int index);

    int count() const override;
    // Empty text when the index is out of range.
    std::string entry(int index) const override;
    // Changes the entry in place and does not re-sort: a run in progress reads the list by index.
    void replace(int index, const std::string& entry) override;
    void clear() override;

    // The paging call's two moments: a page leaving is marked before it goes to the line; a delivered page
    // is marked sent ("PAGE SENT"), a refused one waits again.
    void pageLeaving(int index) override;
    void pageAnswered(int index, const engine::PageOutcome& outcome) override;
    std::string pageId(int index) const override;
    // The call ended with pages still leaving (no answer came): they may have reached the pager, so they are
    // marked "may have been sent" and wait for the operator.
    void settleUnanswered();
    const PageMark& markAt(int index) const { return m_marks.at(static_cast<std::size_t>(index)); }
    // The desk's reading of the page's tries after a call, or the operator's fresh start.
    void setTries(int index, const PageTries& tries);
    // Forgets which pages were answered for, before a call.
    void forgetAnswers();

    const std::vector<std::string>& entries() const { return m_entries; }

    // Grows each time the list is emptied, so a walk over the list notices that it was emptied under it.
    std::uint64_t clearCount() const { return m_clearCount; }

    // From now on every change of a page is kept in `kept` as a page of `list`.
    void keepIn(KeptQueue& kept, store::KeptList list);
    // The pages as QUEUE.DAT holds them.
    void appendKeptPages(std::vector<store::KeptPage>& pages) const;

private:
    void keep(int index);
    store::KeptPage keptPage(int index) const;

    std::vector<std::string> m_entries;
    std::vector<PageMark> m_marks;
    std::uint64_t m_clearCount = 0;
    KeptQueue* m_kept = nullptr;
    store::KeptList m_keptAs = store::KeptList::Queue;
};

} // namespace tolvane::dispatch
