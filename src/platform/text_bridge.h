#pragma once

#include <QString>

#include <string>
#include <string_view>

// The core speaks Windows-1252; Qt speaks Unicode. Every crossing goes through these two.
namespace tolvane::platform {

QString fromCore(std::string_view cp1252);
// A character with no Windows-1252 form becomes "?".
std::string toCore(const QString& text);

} // namespace tolvane::platform
