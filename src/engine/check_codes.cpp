#include "engine/check_codes.h"

#include <array>
#include <utility>

namespace tolvane::engine {
namespace {

// Byte-exact, in Windows-1252: most texts end in a non-breaking space (0xA0), some with an apostrophe
// after it, as the operators have always seen them. The literals are split after each \xA0 so the
// escape cannot swallow the digits that follow.
constexpr std::array<std::pair<std::string_view, std::string_view>, 24> kReplyCodes { {
    { "110",
        "110 Paging Terminal TAP Specification Supported * (See Note)"
        "\xA0" },
    { "111", "111 Paging terminal is processing the previous input -- please wait" },
    { "112",
        "112 Maximum pages entered for session"
        "\xA0" },
    { "113", "113 Maximum time reached for session" },
    { "114",
        "114 Welcome banners (These messages are sent only at the beginning of a session to present service "
        "information)"
        "\xA0" },
    { "115",
        "115 Exit Messages (Service related messages sent before the Paging Terminal terminates)"
        "\xA0" },
    { "211",
        "211 Page(s) Sent Successfully"
        "\xA0" },
    { "212",
        "212 Long message truncated and sent"
        "\xA0" },
    { "213",
        "213 Message accepted - held for deferred delivery"
        "\xA0" },
    { "501",
        "501 A time-out occurred waiting for user input"
        "\xA0'" },
    { "502",
        "502 Unexpected characters received before the start of a transaction. A character sequence other "
        "then <STX> or <EOT><CR> was received while the paging terminal was waiting to receive a Transaction "
        "Block from the Remote Entry Device."
        "\xA0" },
    { "503",
        "503 Excessive attempts to send/re-send a transaction with checksum errors."
        "\xA0" },
    { "504",
        "504 The message field of the TAP transaction contained characters, but message characters are not "
        "allowed for the Pager format. Perhaps the paging receiver for the given PIN is a `Tone Only' pager."
        "\xA0" },
    { "505",
        "505 Message portion of the TAP transaction contained alphabetic characters, but alphabetic "
        "characters are not allowed for the Pager format. Perhaps the paging receiver for the given PIN is a "
        "`numeric' pager."
        "\xA0" },
    { "506",
        "506 Excessive invalid pages received"
        "\xA0" },
    { "507",
        "507 Invalid Logon attempt: Incorrectly formed logon sequence"
        "\xA0'" },
    { "508",
        "508 Invalid Logon attempt: Service type and category given is not supported"
        "\xA0'" },
    { "509",
        "509 Invalid Logon attempt: Invalid password supplied"
        "\xA0" },
    { "510",
        "510 Illegal Pager ID - The pager ID contains illegal characters or is too long or short"
        "\xA0" },
    { "511",
        "511 Invalid Pager ID - There is no subscriber to match this ID"
        "\xA0'" },
    { "512",
        "512 Temporarily cannot deliver to Pager ID - Try Later"
        "\xA0'" },
    { "513",
        "513 Long message rejected for exceeding maximum character length"
        "\xA0'" },
    { "514",
        "514 Checksum error"
        "\xA0"
        "515 Message format error"
        "\xA0" },
    { "516", "516 Message quota temporarily exceeded" },
} };

} // namespace

std::optional<std::string_view> replyCodeText(std::string_view code)
{
    for (const auto& [known, text] : kReplyCodes)
        if (code == known)
            return text;
    return std::nullopt;
}

void checkCodes(const std::string& FromModem, CallView& view)
{
    if (const auto text = replyCodeText(FromModem))
        view.appendLog(std::string(*text));
}

} // namespace tolvane::engine
