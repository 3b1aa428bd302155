#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvane::platform {

// The line settings text of a paging company, "9600,E,7,1": baud, parity letter, data bits, stop bits.
struct LineSettings {
    enum class Parity { None, Even, Odd, Mark, Space };

    int baud = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    int stopBits = 1;

    // Blanks around the parts and a lower-case parity letter are tolerated; anything else that is not
    // a positive baud, N/E/O/M/S, 5 to 8 data bits and 1 or 2 stop bits gives nothing.
    static std::optional<LineSettings> parse(std::string_view text);

    std::string text() const;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

} // namespace tolvane::platform
