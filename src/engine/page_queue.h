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
};

} // namespace tolvane::engine
