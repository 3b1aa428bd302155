#pragma once

#include "simulator/page_record.h"

#include <string>

namespace tolvane::simulator {

// One JSON object on one line (no newline): kind, pager_id, message, password, checksum_ok and reply, with the
// text converted from Windows-1252 to UTF-8.
std::string pageJsonLine(const PageRecord& page);

// A transcript entry as one readable line (no newline): time in seconds, direction, and the bytes with control
// characters written as <STX>, <CR> and so on.
std::string transcriptLine(const TranscriptEntry& entry);

// Control characters as <NAME>, other bytes converted from Windows-1252 to UTF-8.
std::string visibleBytes(std::string_view bytes);

} // namespace tolvane::simulator
