#pragma once

#include "engine/gateway_link.h"

#include <memory>
#include <string>

namespace tolvane::platform {

// Where a paging gateway is and how to log in, as a DIAL line gives it.
struct GatewayTarget {
    engine::GatewayProtocol protocol = engine::GatewayProtocol::Snpp;
    std::string host; // without brackets
    int port = 0;
    bool tls = false;
    std::string user; // SNPP: the LOGI user; WCTP: the senderID
    std::string secret; // SNPP: the LOGI password; WCTP: the security code
    std::string postUrl; // WCTP: the http(s) URL the requests go to
    std::string shown; // the URL with its secrets as ***
    std::string caFile; // a private certificate authority besides the system's, or empty
};

// The link a paging call speaks to the gateway through: libcurl for the connection (TCP, TLS, HTTP) and
// libxml2 for the WCTP documents. Nothing connects until the call polls. TLS checks the gateway's
// certificate against the system's trust store and `caFile`; a failed check closes the link with the
// reason, never falling back to plain text. Throws std::runtime_error when the CA file cannot be read.
std::unique_ptr<engine::GatewayLink> openGatewayLink(const GatewayTarget& target);

} // namespace tolvane::platform
