#pragma once

#include "engine/page_queue.h"

#include <string>
#include <utility>
#include <vector>

namespace tolvane::testkit {

// The page queue over a plain vector, in the order the test puts the entries. Reading past the end
// gives an empty text, as the list control did.
class VectorQueue : public engine::PageQueue {
public:
    VectorQueue() = default;
    explicit VectorQueue(std::vector<std::string> entries)
        : m_entries(std::move(entries))
    {
    }

    int count() const override { return static_cast<int>(m_entries.size()); }
    std::string entry(int index) const override { return inRange(index) ? m_entries[index] : std::string(); }
    void replace(int index, const std::string& entry) override
    {
        if (inRange(index))
            m_entries[index] = entry;
    }
    void clear() override { m_entries.clear(); }
    void pageLeaving(int index) override { marks.push_back("leaving " + std::to_string(index)); }
    void pageAnswered(int index, const engine::PageOutcome& outcome) override
    {
        marks.push_back("answered " + std::to_string(index) + (outcome.delivered() ? " delivered" : " refused"));
        outcomes.push_back(outcome);
    }

    // The call's marks on its pages, in order ("leaving 0", "answered 0 delivered"), and each answer's outcome.
    std::vector<std::string> marks;
    std::vector<engine::PageOutcome> outcomes;

    void add(std::string entry) { m_entries.push_back(std::move(entry)); }

private:
    bool inRange(int index) const { return index >= 0 && index < count(); }

    std::vector<std::string> m_entries;
};

} // namespace tolvane::testkit
