#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::platform {

// Where a dialled number leads when the port is a network line. PORTS.DAT holds lines such as
// "DIAL 555-0142=tap.carrier.example:10001" beside its port lines: a TAP service's host and port, or a
// URL (tap://, snpp://, snpps://, wctp+http://, wctp+https://). "CA <file>" adds a private certificate
// authority for the gateways' TLS. A DIAL line it cannot read stays in the file untouched and is listed
// here, so the network line can say so in the connection log.
struct DialPlan {
    enum class Protocol { Tap, Snpp, Wctp };
    struct Entry {
        std::string digits; // the number's digits only: "5550142"
        Protocol protocol = Protocol::Tap;
        std::string host; // a name, an IPv4 address or an IPv6 address without its brackets
        int port = 0;
        bool tls = false; // snpps: TLS from the first byte
        std::string user; // SNPP: the LOGI user; WCTP: sender=
        std::string secret; // SNPP: the LOGI password; WCTP: security=
        std::string postUrl; // WCTP: the http(s) URL the requests go to, without our own parameters
        std::string shown; // a URL as written, its secrets as ***; empty for a plain "host:port"
        // "host:port" as written back to the operator, "[::1]:10001" for IPv6; a URL as shown.
        std::string target() const;
    };
    struct BadLine {
        int lineNumber = 0; // counted from 1
        std::string text; // the line as written, without its line end
        std::string reason;
    };

    std::vector<Entry> entries;
    std::vector<BadLine> badLines;
    std::string caFile; // the last CA line's file, as written

    // Lines that do not begin with the word DIAL are not ours and are passed over in silence.
    static DialPlan parse(std::string_view text);

    // The entry whose digits the dialled string's digits end with; the longest such wins, and of equal
    // ones the last line. Dashes, blanks and a prefix such as "*70," therefore do not matter.
    const Entry* match(std::string_view dialled) const;
};

// The digits of a text, in order.
std::string digitsOf(std::string_view text);

} // namespace tolvane::platform
