#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane::dispatch {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kGaugeGreen { 0, 255, 0 };
inline constexpr Rgb kGaugeYellow { 255, 255, 0 };
inline constexpr Rgb kGaugeOrangeRed { 240, 15, 0 };

inline constexpr std::string_view kLimitReachedMessage
    = "You have reached you message limit if this pager comany excepts larger message lenghts then change the "
      "max characters option for the pager company in terminal setup";
inline constexpr std::string_view kReturnKeyMessage = "Don't Use Return Key in Message Text!";

// What the message box shows for a text of `length` characters under the message length limit.
struct MessageGauge {
    std::string countLabel; // plain digits, no leading blank
    int gaugeValue = 0; // never above gaugeMaximum, which a gauge would refuse
    int gaugeMaximum = 80; // the limit; 80 when the limit is 0 or less
    Rgb colour = kGaugeGreen; // for the gauge and the message text
    bool limitReached = false; // show kLimitReachedMessage
};

MessageGauge messageGauge(std::size_t length, std::int16_t limit);

// The Return key (13) is refused with kReturnKeyMessage; every other key passes.
bool isRefusedKey(int keyCode);

// Pasted text keeps one line: each CR LF, CR or LF becomes a blank.
std::string withoutLineBreaks(std::string_view text);

} // namespace tolvane::dispatch
