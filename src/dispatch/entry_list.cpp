#include "dispatch/entry_list.h"

#include "dispatch/kept_queue.h"
#include "engine/queue_entry.h"
#include "store/text.h"

#include <algorithm>

namespace tolvane::dispatch {

int EntryList::insert(std::string entry)
{
    return insert(std::move(entry), PageMark { newPageId(), false, -1, {}, {}, false });
}

int EntryList::insert(std::string entry, PageMark mark)
{
    // std::string compares through char_traits<char>, which orders bytes as unsigned values.
    const auto at = std::upper_bound(m_entries.begin(), m_entries.end(), entry);
    const auto index = at - m_entries.begin();
    m_entries.insert(at, std::move(entry));
    m_marks.insert(m_marks.begin() + index, std::move(mark));
    keep(static_cast<int>(index));
    return static_cast<int>(index);
}

void EntryList::removeAt(int index)
{
    takeAt(index);
}

std::pair<std::string, PageMark> EntryList::takeAt(int index)
{
    if (index < 0 || index >= count())
        return {};
    const auto at = static_cast<std::size_t>(index);
    std::pair<std::string, PageMark> page { std::move(m_entries[at]), std::move(m_marks[at]) };
    m_entries.erase(m_entries.begin() + index);
    m_marks.erase(m_marks.begin() + index);
    if (m_kept)
        m_kept->drop(page.second.id);
    return page;
}

int EntryList::count() const
{
    return static_cast<int>(m_entries.size());
}

std::string EntryList::entry(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return m_entries[static_cast<std::size_t>(index)];
}

void EntryList::replace(int index, const std::string& entry)
{
    if (index < 0 || index >= count() || m_entries[static_cast<std::size_t>(index)] == entry)
        return;
    m_entries[static_cast<std::size_t>(index)] = entry;
    keep(index);
}

void EntryList::clear()
{
    KeptQueue::Change change(m_kept);
    while (!m_entries.empty())
        takeAt(count() - 1);
    ++m_clearCount;
}

void EntryList::pageLeaving(int index)
{
    if (index < 0 || index >= count())
        return;
    PageMark& mark = m_marks[static_cast<std::size_t>(index)];
    // A page in several blocks, or sent again after a "resend", leaves once.
    if (mark.leaving)
        return;
    mark.leaving = true;
    mark.logOffset = m_kept ? m_kept->pageLogLength() : -1;
    keep(index);
}

void EntryList::pageAnswered(int index, const engine::PageOutcome& outcome)
{
    if (index < 0 || index >= count())
        return;
    const auto at = static_cast<std::size_t>(index);
    PageMark& mark = m_marks[at];
    mark.leaving = false;
    mark.logOffset = -1;
    mark.answered = true;
    mark.tries.last = outcome;
    if (outcome.delivered())
        m_entries[at] = engine::withStatus(m_entries[at], engine::kStatusSent);
    keep(index);
}

void EntryList::setTries(int index, const PageTries& tries)
{
    if (index < 0 || index >= count() || m_marks[static_cast<std::size_t>(index)].tries == tries)
        return;
    m_marks[static_cast<std::size_t>(index)].tries = tries;
    keep(index);
}

void EntryList::forgetAnswers()
{
    for (PageMark& mark : m_marks)
        mark.answered = false;
}

std::string EntryList::pageId(int index) const
{
    return index >= 0 && index < count() ? m_marks[static_cast<std::size_t>(index)].id : std::string();
}

void EntryList::settleUnanswered()
{
    KeptQueue::Change change(m_kept);
    for (int i = 0; i < count(); ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (!m_marks[at].leaving)
            continue;
        m_marks[at].leaving = false;
        m_entries[at] = engine::withStatus(m_entries[at], engine::kStatusMayHaveBeenSent);
        keep(i);
    }
}

void EntryList::keepIn(KeptQueue& kept, store::KeptList list)
{
    m_kept = &kept;
    m_keptAs = list;
}

store::KeptPage EntryList::keptPage(int index) const
{
    const auto at = static_cast<std::size_t>(index);
    const std::string& entry = m_entries[at];
    const PageMark& mark = m_marks[at];
    store::KeptPage page;
    page.id = mark.id;
    page.list = m_keptAs;
    page.entry = entry;
    page.logOffset = mark.leaving ? mark.logOffset : -1;
    page.fields = triesFields(mark.tries);
    page.fields.insert(page.fields.end(), mark.otherFields.begin(), mark.otherFields.end());
    const std::string status = engine::statusColumn(entry);
    if (mark.leaving)
        page.state = store::KeptState::Leaving;
    else if (engine::isMarkedSent(entry))
        page.state = store::KeptState::Sent;
    else if (status == store::fixedText(engine::kStatusMayHaveBeenSent, 20))
        page.state = store::KeptState::MayHaveBeenSent;
    else if (status == store::fixedText(engine::kStatusOverdue, 20))
        page.state = store::KeptState::Overdue;
    return page;
}

void EntryList::keep(int index)
{
    if (m_kept)
        m_kept->put(keptPage(index));
}

void EntryList::appendKeptPages(std::vector<store::KeptPage>& pages) const
{
    for (int i = 0; i < count(); ++i)
        pages.push_back(keptPage(i));
}

} // namespace tolvane::dispatch
