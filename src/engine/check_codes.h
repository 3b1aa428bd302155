#pragma once

#include "engine/call_view.h"

#include <optional>
#include <string>
#include <string_view>

namespace tolvane::engine {

// The explanation of a three-digit TAP reply code, or nothing when the text is not exactly one of the
// known codes (a bare "515" is not one: its text belongs to 514's entry).
std::optional<std::string_view> replyCodeText(std::string_view code);

// Appends the explanation of FromModem to the connection log when it is exactly a known reply code.
void checkCodes(const std::string& FromModem, CallView& view);

} // namespace tolvane::engine
