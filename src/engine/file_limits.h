#pragma once

#include <algorithm>
#include <cstdint>

// Numbers read from the data files are held within the ranges the program can work with, wherever
// they are used: a damaged or hand-edited file must not make the modem redial for ever or break the
// message limits.
namespace tolvane::engine {

// A company's MaxChars: 1..750.
inline int clampedMaxChars(std::int16_t maxChars)
{
    return std::clamp<int>(maxChars, 1, 750);
}

// CONFIG.DAT's RetryAttempts: 0..99, as the configuration window keeps it.
inline std::int16_t clampedRetryAttempts(std::int16_t retryAttempts)
{
    return std::clamp<std::int16_t>(retryAttempts, 0, 99);
}

} // namespace tolvane::engine
