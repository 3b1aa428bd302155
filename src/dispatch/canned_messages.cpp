#include "dispatch/canned_messages.h"

#include "store/records.h"
#include "store/text.h"

#include <algorithm>

namespace tolvane::dispatch {

CannedMessages::CannedMessages(const store::DataFolder& folder)
    : m_folder(folder)
    , m_file(std::make_unique<store::RecordFile>(folder.pathOf<store::CannedRecord>(), store::CannedRecord::kLength))
{
    reload();
}

void CannedMessages::reload()
{
    m_messages.clear();
    if (!m_file)
        m_file
            = std::make_unique<store::RecordFile>(m_folder.pathOf<store::CannedRecord>(), store::CannedRecord::kLength);
    const std::string all = m_file->readAllRaw();
    for (std::size_t at = 0; at + store::CannedRecord::kLength <= all.size(); at += store::CannedRecord::kLength)
        m_messages.push_back(
            store::CannedRecord::decode(std::string_view(all).substr(at, store::CannedRecord::kLength)).MessageText);
}

void CannedMessages::add(std::string_view text)
{
    if (!m_file)
        reload();
    m_file->appendRaw(store::CannedRecord { std::string(text) }.encode());
    reload();
}

store::DeleteResult CannedMessages::remove(int index)
{
    if (index < 0 || index >= static_cast<int>(m_messages.size()))
        return store::DeleteResult { store::DeleteStatus::NoSuchRecord, {} };
    // The compaction sees this open of the file, steps it aside and makes it read the new file.
    store::DeleteResult result = store::deleteCannedMessage(m_folder, index + 1);
    reload();
    return result;
}

std::string CannedMessages::removalQuestion(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_messages.size()) || m_messages.size() == 1)
        return {};
    return "Delete the canned message \"" + store::rtrim(m_messages[static_cast<std::size_t>(index)]) + "\"?";
}

std::string insertCanned(std::string_view message, std::string_view canned, int limit)
{
    std::string text = std::string(message) + store::rtrim(canned);
    text.resize(std::min(text.size(), static_cast<std::size_t>(std::max(limit, 0))));
    return text;
}

std::string useCanned(std::string_view canned, int limit)
{
    return insertCanned({}, canned, limit);
}

} // namespace tolvane::dispatch
