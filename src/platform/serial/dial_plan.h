#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::platform {

// Where a dialled number leads when the port is a network line. PORTS.DAT holds lines such as
// "DIAL 555-0142=tap.carrier.example:10001" beside its port lines; a DIAL line it cannot read stays in
// the file untouched and is listed here, so the network line can say so in the connection log.
struct DialPlan {
    struct Entry {
        std::string digits; // the number's digits only: "5550142"
        std::string host; // a name, an IPv4 address or an IPv6 address without its brackets
        int port = 0;
        std::string target() const; // "host:port" as written back to the operator, "[::1]:10001" for IPv6
    };
    struct BadLine {
        int lineNumber = 0; // counted from 1
        std::string text; // the line as written, without its line end
        std::string reason;
    };

    std::vector<Entry> entries;
    std::vector<BadLine> badLines;

    // Lines that do not begin with the word DIAL are not ours and are passed over in silence.
    static DialPlan parse(std::string_view text);

    // The entry whose digits the dialled string's digits end with; the longest such wins, and of equal
    // ones the last line. Dashes, blanks and a prefix such as "*70," therefore do not matter.
    const Entry* match(std::string_view dialled) const;
};

// The digits of a text, in order.
std::string digitsOf(std::string_view text);

} // namespace tolvane::platform
