#pragma once

#include <optional>
#include <string_view>

namespace tolvane::engine {

// How a paging call spends its time while it waits for the modem and the terminal.
enum class Pacing {
    Standard, // the fixed pauses and polling rounds written for slow modems
    Prompt, // every wait returns once its reply is in; the time-outs stay as long as under Standard
};

// "standard" or "prompt": the name on the command line and in the connection log.
constexpr std::string_view pacingName(Pacing pacing)
{
    return pacing == Pacing::Prompt ? "prompt" : "standard";
}

constexpr std::optional<Pacing> pacingNamed(std::string_view name)
{
    if (name == "standard")
        return Pacing::Standard;
    if (name == "prompt")
        return Pacing::Prompt;
    return std::nullopt;
}

} // namespace tolvane::engine
