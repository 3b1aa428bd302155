#pragma once

#include "store/compaction.h"
#include "store/data_folder.h"
#include "store/record_file.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::dispatch {

// A canned message put into the main message while nobody is chosen would be emptied with the hidden box.
inline constexpr std::string_view kChooseRecipientFirst
    = "Choose who to page first: the message box opens when the recipient list holds a name.";

// The canned messages of QUICK.DAT, for the quick page window: the file stays open from loading until
// close(), as the window keeps it. Record n is list entry n - 1.
class CannedMessages {
public:
    // Opens QUICK.DAT (created empty when missing) and reads it. Throws StoreError.
    explicit CannedMessages(const store::DataFolder& folder);
    CannedMessages(const CannedMessages&) = delete;
    CannedMessages& operator=(const CannedMessages&) = delete;

    // Each message as stored: 80 characters, blank padded.
    const std::vector<std::string>& messages() const { return m_messages; }

    // Writes the text, cut or padded to 80, as record count + 1, and reads the list again. Throws StoreError.
    void add(std::string_view text);
    // Deletes entry `index` by compaction; the only message is never deleted. The list is read again.
    store::DeleteResult remove(int index);
    // What to ask before remove(index): "Delete the canned message "Call the front desk"?". Empty where
    // remove refuses anyway (no such entry, or the only message).
    std::string removalQuestion(int index) const;

    void close() { m_file.reset(); }
    bool isOpen() const { return m_file != nullptr; }

private:
    void reload();

    const store::DataFolder& m_folder;
    std::unique_ptr<store::RecordFile> m_file;
    std::vector<std::string> m_messages;
};

// "Insert Into Current Message": the message followed directly by the canned text without its trailing
// blanks, cut at the message length limit.
std::string insertCanned(std::string_view message, std::string_view canned, int limit);
// "Use Quick Page As Message": the canned text without its trailing blanks, cut at the limit.
std::string useCanned(std::string_view canned, int limit);

} // namespace tolvane::dispatch
