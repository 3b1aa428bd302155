#include "engine/tap_block.h"

#include "store/text.h"

namespace tolvane::engine {

std::string tapChecksum(std::string_view framed)
{
    unsigned sum = 0;
    for (const char c : framed)
        sum += static_cast<unsigned char>(c) & 0x7Fu;
    sum &= 0xFFFu;
    std::string out(3, '0');
    out[0] = static_cast<char>('0' + ((sum >> 8) & 0xFu));
    out[1] = static_cast<char>('0' + ((sum >> 4) & 0xFu));
    out[2] = static_cast<char>('0' + (sum & 0xFu));
    return out;
}

std::string buildTransactionBlock(std::string_view pagerId, std::string_view messagePart)
{
    std::string block;
    block.reserve(pagerId.size() + messagePart.size() + 8);
    block += kStx;
    block += pagerId;
    block += kCr;
    block += messagePart;
    block += kCr;
    block += kEtx;
    block += tapChecksum(block);
    block += kCr;
    return block;
}

std::string blankControlCharacters(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        const unsigned seven = static_cast<unsigned char>(c) & 0x7Fu;
        if (seven < 0x20u || seven == 0x7Fu)
            c = ' ';
    }
    return out;
}

std::vector<std::string> splitMessage(std::string_view message, std::size_t pagerIdLength)
{
    if (message.size() + pagerIdLength <= kBlockDataLimit || pagerIdLength >= kBlockDataLimit)
        return { std::string(message) };
    const std::size_t pieceLength = kBlockDataLimit - pagerIdLength;
    std::vector<std::string> pieces;
    for (std::size_t pos = 0; pos < message.size(); pos += pieceLength) {
        const std::string_view piece = message.substr(pos, pieceLength);
        pieces.push_back(pos == 0 ? std::string(piece) : store::rtrim(piece));
    }
    return pieces;
}

} // namespace tolvane::engine
