#pragma once

#include "dispatch/entry_list.h"
#include "engine/page_queue.h"

#include <vector>

namespace tolvane::dispatch {

// The queue a paging call reads: the page queue while the queue is sent, a list of its own while a single
// page is sent, so the single page never mixes with pages waiting in the queue.
//
// While one company's run is sent, its pages that go are shown together from the run's first place, and the
// company's pages that do not go (sent before, may have been sent, waiting for a later try) after them, so
// they never split the run into more calls. Every page stays in view, in the same places before the run, so
// the call still sees how many pages wait beyond its own.
class CallQueue : public engine::PageQueue {
public:
    explicit CallQueue(EntryList& list)
        : m_list(&list)
    {
    }
    CallQueue(const CallQueue&) = delete;
    CallQueue& operator=(const CallQueue&) = delete;

    void use(EntryList& list)
    {
        m_list = &list;
        m_order.clear();
    }
    // The pages of `list` at `run` (ascending queue indices) shown at run.front() onwards, until the next
    // use(). The list must not change meanwhile but by clear().
    void useRun(EntryList& list, const std::vector<int>& run);
    const EntryList& inUse() const { return *m_list; }

    int count() const override { return m_list->count(); }
    std::string entry(int index) const override { return m_list->entry(at(index)); }
    void replace(int index, const std::string& entry) override { m_list->replace(at(index), entry); }
    void clear() override
    {
        m_list->clear();
        m_order.clear();
    }
    void pageLeaving(int index) override { m_list->pageLeaving(at(index)); }
    void pageAnswered(int index, const engine::PageOutcome& outcome) override
    {
        m_list->pageAnswered(at(index), outcome);
    }
    std::string pageId(int index) const override { return m_list->pageId(at(index)); }

private:
    int at(int index) const
    {
        return index >= 0 && index < static_cast<int>(m_order.size()) ? m_order[static_cast<std::size_t>(index)]
                                                                      : index;
    }

    EntryList* m_list;
    std::vector<int> m_order; // place in the call's view -> queue index; empty: the same
};

} // namespace tolvane::dispatch
