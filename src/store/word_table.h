#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace tolvane::store {

// A small table of the words a file writes for the values of an enumeration, read both ways.
template <class Value, std::size_t N> using WordTable = std::array<std::pair<Value, std::string_view>, N>;

// The word for `value`; empty when the table has none.
template <class Value, std::size_t N> std::string_view wordOf(const WordTable<Value, N>& words, Value value)
{
    for (const auto& [known, word] : words) {
        if (known == value)
            return word;
    }
    return {};
}

// The value `word` stands for; nothing for a word the table does not know.
template <class Value, std::size_t N>
std::optional<Value> valueOf(const WordTable<Value, N>& words, std::string_view word)
{
    for (const auto& [value, known] : words) {
        if (known == word)
            return value;
    }
    return std::nullopt;
}

} // namespace tolvane::store
