#pragma once

#include "store/records.h"

#include <cstdint>
#include <string>
#include <string_view>

// The rules by which the configuration window turns what the operator typed into CONFIG.DAT and MODEM.DAT
// fields and back. Kept here, without the window, because the paging run reads what they store.
namespace tolvane::engine {

// The stored dial prefix that stands for none at all.
inline constexpr std::string_view kNoDialPrefix = "555";
inline constexpr int kMaxRetryAttempts = 99;

// An empty or all-blank box is stored as "555"; anything else as typed, blanks included.
std::string dialPrefixForRecord(std::string_view typed);
// "555" shows as an empty box; anything else without its padding.
std::string dialPrefixForBox(std::string_view stored);

// The number the retry box's text starts with (blanks and a sign allowed before it, anything after it
// ignored); text that starts with no number is 0. Kept within 0 to 99: a negative count would never match
// the busy counter and redial for ever.
std::int16_t retryAttemptsFromText(std::string_view text);
// The retry box's text after one click of its spin buttons: up stops at 99, down at 0.
std::string retryAttemptsSpun(std::string_view text, bool up);

// Switching the speaker on turns every "M0" of the command string into "M1"; switching it off turns
// every "M1" into "M0". Everything else is kept.
std::string speakerCommands(std::string_view commands, bool speakerOn);

// The modem type record a save writes: the commands in the box (which for a fixed type are its own), with
// the speaker switch applied to them when it was changed, and the switch's new state.
store::ModemRecord modemRecordToSave(const store::ModemRecord& stored, std::string_view boxCommands, bool speakerOn);

// A stored text field as a box shows it: without the trailing blanks, and without the NUL bytes a record
// that was never written reads as.
std::string shownField(std::string_view stored);

} // namespace tolvane::engine
