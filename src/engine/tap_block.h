#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The TAP transaction block: STX pager-ID CR message CR ETX c1 c2 c3 CR.
namespace tolvane::engine {

inline constexpr char kStx = '\x02';
inline constexpr char kEtx = '\x03';
inline constexpr char kEot = '\x04';
inline constexpr char kAck = '\x06';
inline constexpr char kCr = '\r';
inline constexpr char kNak = '\x15';
inline constexpr char kEsc = '\x1b';
inline constexpr char kRs = '\x1e';

// Data characters a block may carry, pager ID and message together.
inline constexpr std::size_t kBlockDataLimit = 250;

// The three checksum characters of `framed` (STX through ETX): the 7-bit codes summed, the low 12 bits
// sent as three nibbles, each added to "0".
std::string tapChecksum(std::string_view framed);

// STX pagerId CR messagePart CR ETX checksum CR.
std::string buildTransactionBlock(std::string_view pagerId, std::string_view messagePart);

// Each character that is a control character on a 7-bit line (its low seven bits below 0x20, or DEL)
// becomes a blank: pasted or stored text must never frame a block or talk to the terminal.
std::string blankControlCharacters(std::string_view text);

// The pieces a message is sent in: the whole message when it fits beside the pager ID in one block,
// else consecutive pieces of 250 minus the pager-ID length, every piece after the first right-trimmed.
std::vector<std::string> splitMessage(std::string_view message, std::size_t pagerIdLength);

} // namespace tolvane::engine
