#pragma once

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
    // The paging company answered for the page at `index`: delivered, or refused.
    virtual void pageAnswered(int index, bool delivered)
    {
        (void)index;
        (void)delivered;
    }
};

} // namespace tolvane::engine
