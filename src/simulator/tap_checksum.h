#pragma once

#include <string>
#include <string_view>

namespace tolvane::simulator {

// The three checksum characters of a transaction block: the 7-bit values of `block` (STX through the ETX, ETB or US)
// summed, the low 12 bits sent as three characters '0' + 4 bits, most significant first.
std::string tapChecksum(std::string_view block);

} // namespace tolvane::simulator
