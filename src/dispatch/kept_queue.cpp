#include "dispatch/kept_queue.h"

#include "engine/queue_entry.h"
#include "engine/tap_block.h"
#include "store/page_log.h"
#include "store/store_error.h"
#include "store/text.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace tolvane::dispatch {

KeptQueue::KeptQueue(const store::DataFolder& folder)
    : m_folder(folder)
    , m_file(folder.programPath(store::kQueueFileName))
{
}

KeptQueue::Opened KeptQueue::open()
{
    using Condition = store::QueueFileContents::Condition;
    store::QueueFileContents contents = store::readQueueFile(m_file.path());
    Opened opened;
    opened.pages = std::move(contents.pages);
    if (contents.condition != Condition::Damaged && contents.condition != Condition::Unreadable)
        return opened;
    opened.problem = contents.problem;
    try {
        opened.setAsidePath = store::setFileAside(m_file.path());
    } catch (const store::StoreError& error) {
        m_disabled = true;
        opened.problem += std::string("; it could not be set aside either (") + error.what()
            + "), so it stays as it is and the page queue is not kept until Tolvane starts again";
    }
    return opened;
}

void KeptQueue::put(store::KeptPage page)
{
    if (m_disabled)
        return;
    const auto [at, added] = m_openIndex.emplace(page.id, m_open.size());
    if (added)
        m_open.push_back({ page.id, std::move(page) });
    else
        m_open[at->second].page = std::move(page);
    if (m_depth == 0)
        commit();
}

void KeptQueue::drop(const std::string& id)
{
    if (m_disabled)
        return;
    const auto [at, added] = m_openIndex.emplace(id, m_open.size());
    if (added)
        m_open.push_back({ id, std::nullopt });
    else
        m_open[at->second].page.reset();
    if (m_depth == 0)
        commit();
}

KeptQueue::Change::Change(KeptQueue* kept)
    : m_kept(kept)
{
    if (m_kept)
        ++m_kept->m_depth;
}

KeptQueue::Change::~Change()
{
    // Only a command's change may also rewrite a grown file: a page's mark during a call stays one small write.
    if (m_kept && --m_kept->m_depth == 0) {
        m_kept->commit();
        m_kept->compactIfLarge();
    }
}

void KeptQueue::commit()
{
    if (m_disabled || (m_open.empty() && !m_behind)) {
        m_open.clear();
        m_openIndex.clear();
        return;
    }
    if (!m_behind) {
        try {
            m_file.append(m_open);
            m_open.clear();
            m_openIndex.clear();
            return;
        } catch (const store::StoreError&) {
            // The end of the file is unknown now: the whole state, below, or nothing.
        }
    }
    saveAll();
}

bool KeptQueue::saveAll()
{
    m_open.clear();
    m_openIndex.clear();
    if (m_disabled)
        return false;
    try {
        m_file.rewrite(m_everyPage ? m_everyPage() : std::vector<store::KeptPage> {});
        m_behind = false;
        m_told = false;
        return true;
    } catch (const store::StoreError& error) {
        m_behind = true;
        failed(error.what());
        return false;
    }
}

void KeptQueue::compactIfLarge()
{
    constexpr std::uint64_t kAlwaysAllowed = 1u << 20;
    if (m_file.appendedBytes() > std::max(kAlwaysAllowed, 2 * m_file.rewrittenBytes()))
        saveAll();
}

void KeptQueue::failed(const std::string& what)
{
    if (m_told)
        return;
    m_told = true;
    if (m_report)
        m_report("The page queue could not be kept in " + m_file.path().string() + " (" + what
            + "). The pages are still here and are kept at the next change that can be written; until then they "
              "are lost if Tolvane ends.");
}

std::int64_t KeptQueue::pageLogLength() const
{
    return static_cast<std::int64_t>(store::logLength(m_folder));
}

LoggedAnswer loggedAnswer(
    const store::DataFolder& folder, std::string_view entry, std::int64_t logOffset, std::int16_t limit)
{
    if (logOffset < 0)
        return LoggedAnswer::None;
    const std::string delivered = engine::pageLogLine("PAGE SENT: ", entry, limit);
    const std::string refused = engine::pageLogLine("ERROR FOR: ", entry, limit);
    for (const auto& record : store::readLogFrom(folder, static_cast<std::uint64_t>(logOffset))) {
        // A numeric page's line carries CR LF inside its quotes.
        const std::string_view text = std::string_view(record).ends_with("\r\n")
            ? std::string_view(record).substr(0, record.size() - 2)
            : std::string_view(record);
        if (text == delivered)
            return LoggedAnswer::Delivered;
        if (text == refused)
            return LoggedAnswer::Refused;
    }
    return LoggedAnswer::None;
}

std::string keptQueueListing(const std::vector<store::KeptPage>& pages)
{
    constexpr std::string_view kListNames[] = { "queue", "scheduled", "single" };
    std::string out;
    for (const auto& page : pages) {
        const std::string& entry = page.entry;
        const std::string status = page.state == store::KeptState::Leaving ? "being sent" : engine::statusColumn(entry);
        const std::string message = entry.size() > 196 ? entry.substr(196) : std::string();
        const std::string fields[] = { std::string(kListNames[static_cast<int>(page.list)]),
            engine::companyColumn(entry), engine::nameColumn(entry), engine::pagerIdColumn(entry),
            engine::timeColumn(entry), engine::dateColumn(entry), status, message };
        for (std::size_t i = 0; i < std::size(fields); ++i) {
            if (i > 0)
                out += '\t';
            out += store::trim(engine::blankControlCharacters(fields[i]));
        }
        out += '\n';
    }
    return out;
}

std::string newPageId()
{
    thread_local std::mt19937_64 generator = [] {
        std::random_device device;
        std::seed_seq seed { device(), device(), device(), device() };
        return std::mt19937_64(seed);
    }();
    char id[17];
    std::snprintf(id, sizeof id, "%016llX", static_cast<unsigned long long>(generator()));
    return id;
}

} // namespace tolvane::dispatch
