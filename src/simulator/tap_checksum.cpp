#include "simulator/tap_checksum.h"

namespace tolvane::simulator {

std::string tapChecksum(std::string_view block)
{
    unsigned sum = 0;
    for (char c : block)
        sum += static_cast<unsigned char>(c) & 0x7Fu;
    std::string out(3, '0');
    out[0] = static_cast<char>('0' + ((sum >> 8) & 0xFu));
    out[1] = static_cast<char>('0' + ((sum >> 4) & 0xFu));
    out[2] = static_cast<char>('0' + (sum & 0xFu));
    return out;
}

} // namespace tolvane::simulator
