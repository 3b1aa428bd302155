#pragma once

#include "engine/page_outcome.h"

#include <string>

namespace tolvane::engine {

// The page queue as a paging call sees it: entries by 0-based index, in queue order.
class PageQueue {
public:
    virtual ~PageQueue() = default;

    virtual int count() const = 0;
    virtual std::string entry(int index) const = 0;
    virtual void replace(int index, const std::string& entry) = 0;
    virtual void clear() = 0;

    // The page at `index` is about to leave for the paging company (its block, its digits, its
    // request). A queue kept on disk records that before returning, so a page whose call dies on the
    // way is never sent again without the operator's choice.
    virtual void pageLeaving(int index) { (void)index; }
    // The paging company answered for the page at `index`: delivered (outcome.delivered()), or refused, and
    // in which words. Called once its LOG.DAT line is written, so a page is never answered without its line.
    virtual void pageAnswered(int index, const PageOutcome& outcome)
    {
        (void)index;
        (void)outcome;
    }
    // The page's identity: the same for its whole life, every try of it included; empty when the queue
    // keeps none.
    virtual std::string pageId(int index) const
    {
        (void)index;
        return {};
    }
};

} // namespace tolvane::engine
