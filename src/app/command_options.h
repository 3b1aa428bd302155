#pragma once

#include "engine/pacing.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tolvane::app {

struct CommandOptions {
    std::filesystem::path dataDir; // empty: the executable's own folder
    bool practice = false;
    bool help = false;
    bool version = false;
    bool listQueue = false; // --list-queue: print the kept page queue and scheduled list, and exit
    // --pacing: for this run, instead of the workstation's stored choice.
    std::optional<engine::Pacing> pacing;
    // The operands joined by single blanks, in Windows-1252: "name:message" for command-line paging.
    std::string commandLine;
};

struct ParsedOptions {
    std::optional<CommandOptions> options;
    std::string error; // set when options is empty
};

// Options come before the first operand; "--" ends them. Arguments arrive in UTF-8.
ParsedOptions parseCommandOptions(const std::vector<std::string>& arguments);

std::string usageText(const std::string& programName);
std::string versionText();

} // namespace tolvane::app
