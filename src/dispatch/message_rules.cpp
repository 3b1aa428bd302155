#include "dispatch/message_rules.h"

#include <algorithm>

namespace tolvane::dispatch {

MessageGauge messageGauge(std::size_t length, std::int16_t limit)
{
    MessageGauge g;
    const int value = static_cast<int>(std::min<std::size_t>(length, 0x7fff));
    g.countLabel = std::to_string(value);
    // A gauge cannot take a maximum of 0 or less; the limit then falls back to 80 everywhere.
    g.gaugeMaximum = limit > 0 ? limit : 80;
    g.gaugeValue = std::min(value, g.gaugeMaximum);

    g.colour = kGaugeGreen;
    if (value > g.gaugeMaximum - 20)
        g.colour = kGaugeYellow;
    if (value == g.gaugeMaximum)
        g.colour = kGaugeOrangeRed;
    g.limitReached = value == g.gaugeMaximum;
    return g;
}

bool isRefusedKey(int keyCode)
{
    return keyCode == 13;
}

std::string withoutLineBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += ' ';
        } else if (c == '\n') {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace tolvane::dispatch
