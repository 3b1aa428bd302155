#pragma once

#include "engine/paging_call.h"

#include <cstdint>

namespace tolvane::dispatch {

// Where the dispatcher hands a run of pages. The program passes the engine's paging call; tests count
// the calls.
class PageSender {
public:
    virtual ~PageSender() = default;

    // Sends `count` consecutive entries of one paging company from the call queue, the first at `first`.
    virtual void pageThePeople(std::int16_t count, std::int16_t first) = 0;
};

class PagingCallSender final : public PageSender {
public:
    explicit PagingCallSender(engine::PagingCall& call)
        : m_call(call)
    {
    }

    void pageThePeople(std::int16_t count, std::int16_t first) override { m_call.pageThePeople(count, first); }

private:
    engine::PagingCall& m_call;
};

} // namespace tolvane::dispatch
