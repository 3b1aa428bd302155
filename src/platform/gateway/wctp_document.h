#pragma once

#include "engine/gateway_link.h"

#include <string>
#include <string_view>

namespace tolvane::platform {

// The WCTP 1.3 submit request as a document, written by libxml2 in the order the DTD gives.
std::string wctpSubmitDocument(const engine::WctpRequest& request, const std::string& submitTimestamp);

// Reads a gateway's answer into `answer`: the first wctp-Success, wctp-ClientSuccess or wctp-Failure
// anywhere in it, whatever wraps it (namespaces, a DOCTYPE and elements we do not know are passed over).
// Nothing of the kind, or no XML at all, leaves it unreadable. No entity is expanded, nothing is fetched.
void readWctpAnswer(std::string_view body, engine::WctpAnswer& answer);

} // namespace tolvane::platform
