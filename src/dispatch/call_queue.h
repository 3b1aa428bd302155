#pragma once

#include "dispatch/entry_list.h"
#include "engine/page_queue.h"

namespace tolvane::dispatch {

// The queue a paging call reads: the page queue while the queue is sent, a list of its own while a single
// page is sent, so the single page never mixes with pages waiting in the queue.
class CallQueue : public engine::PageQueue {
public:
    explicit CallQueue(EntryList& list)
        : m_list(&list)
    {
    }
    CallQueue(const CallQueue&) = delete;
    CallQueue& operator=(const CallQueue&) = delete;

    void use(EntryList& list) { m_list = &list; }
    const EntryList& inUse() const { return *m_list; }

    int count() const override { return m_list->count(); }
    std::string entry(int index) const override { return m_list->entry(index); }
    void replace(int index, const std::string& entry) override { m_list->replace(index, entry); }
    void clear() override { m_list->clear(); }
    void pageLeaving(int index) override { m_list->pageLeaving(index); }
    void pageAnswered(int index, const engine::PageOutcome& outcome) override { m_list->pageAnswered(index, outcome); }
    std::string pageId(int index) const override { return m_list->pageId(index); }

private:
    EntryList* m_list;
};

} // namespace tolvane::dispatch
