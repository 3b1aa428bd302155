#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

// Internet paging gateways: SNPP (RFC 1861) and WCTP 1.3. The engine holds the protocol rules; the platform
// moves the bytes (TCP, TLS, HTTP) and reads the XML, and never blocks the caller.
namespace tolvane::engine {

// An SNPP connection: a byte stream, plain or TLS from the first byte.
class SnppLink {
public:
    enum class State { Connecting, Open, Closed };
    virtual ~SnppLink() = default;

    // Moves the connection on (connecting, the TLS handshake, sending what waits) without blocking.
    virtual State poll() = 0;
    // Queued and sent as the connection takes it.
    virtual void send(std::string_view bytes) = 0;
    // Everything received since the last call.
    virtual std::string receive() = 0;
    // Why the link is closed: refused, a certificate that failed its check, the gateway hung up...
    virtual std::string closedReason() const = 0;
};

// One WCTP submit request; the platform writes the document (and its timestamp) from it.
struct WctpRequest {
    std::string senderId;
    std::string securityCode; // empty: none
    std::string messageId;
    std::string recipientId; // UTF-8
    std::string message; // UTF-8
};

// The gateway's answer to one request, as the platform read it.
struct WctpAnswer {
    enum class Kind { Success, Failure, Unreadable };
    // Why no HTTP answer came (refused, reset, certificate, time-out); empty when one came.
    std::string transportFailure;
    // Whether any of the request had left before the transport failed.
    bool requestSent = false;
    int httpStatus = 0;
    Kind kind = Kind::Unreadable;
    int code = 0; // successCode or errorCode
    std::string text; // Windows-1252, for the log
    std::string shown; // the answer shortened to its elements, Windows-1252
};

// A WCTP gateway: one request at a time, over a connection the link keeps between requests.
class WctpLink {
public:
    virtual ~WctpLink() = default;
    virtual void post(const WctpRequest& request) = 0;
    // The answer once the exchange has ended; nothing while it runs.
    virtual std::optional<WctpAnswer> poll() = 0;
};

enum class GatewayProtocol { Snpp, Wctp };

// Where a dialled number leads when it is a paging gateway on the internet rather than a terminal: the
// line hands this over once the dial has "connected".
struct GatewayLink {
    GatewayProtocol protocol = GatewayProtocol::Snpp;
    std::string shownAddress; // the gateway's URL with its secrets as ***
    std::string user; // SNPP: the LOGI user; WCTP: the senderID
    std::string secret; // SNPP: the LOGI password; WCTP: the security code
    std::unique_ptr<SnppLink> snpp; // the one of the two the protocol names
    std::unique_ptr<WctpLink> wctp;
};

} // namespace tolvane::engine
