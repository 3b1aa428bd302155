#pragma once

#include "dispatch/clock.h"
#include "dispatch/paging_desk.h"
#include "engine/call_view.h"
#include "engine/pacer.h"
#include "engine/pacing.h"
#include "engine/serial_line.h"

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

namespace tolvane::dispatch {

inline constexpr std::string_view kPageWasSentTo = "Page was sent to: ";
inline constexpr std::string_view kPageWasNotSent
    = "Page was not! sent make sure your command line matches a users name exactly. User names can not have "
      "spaces in them if you want to use command line paging. Also you might want to check the log file for "
      "other errors.";

// "name:message", "name:message %" or "name", split as the command line means it.
struct CommandLinePage {
    std::string name; // everything before the first colon, as given
    std::string paddedName; // cut or blank-padded to 25: what is matched against UserName
    std::string message; // everything after the first colon, without a trailing "%" and the character before it
    bool quiet = false; // the message ended with "%"
};

CommandLinePage splitCommandLine(std::string_view commandLine);

// What keeps a command line from being a page (no colon, no name before it, no message after it), as a
// line that says what is expected; empty when it is one. Such a command line is a usage error.
std::string commandLineProblem(std::string_view commandLine);

struct CommandLineOutcome {
    int exitStatus = 1; // 0 only when exactly one page was sent; 2 for a command line that is no page
    bool quiet = false;
    std::int16_t sentCount = 0;
    std::string paddedName;
    // "Page was sent to: " + padded name (or the name and "(message cut to 80 characters)"), or the "Page was
    // not! sent" text, followed by a line saying why: nobody has the name, or the page's outcome in words
    // ("Refused for good: 511 No subscriber for this pager ID", "Refused for now: 512 ...", "Call failed: ...").
    std::string report;
    bool showReport = false; // false in a quiet run: nothing is reported
};

// pageFromCommandLine on a desk whose data folder is already settled: sets the clock captions, puts the padded name
// in the recipient list with the limit 80 (or less, as the user's paging company takes), and runs
// sendToOneRecipient. A command line that is no page sends nothing and reports its problem. The host shows the report
// (a message box with a display, standard output without) and ends with the exit status.
CommandLineOutcome pageFromCommandLine(PagingDesk& desk, std::string_view commandLine);

// Everything command-line paging needs from the host. The view is the host's own (message boxes with a
// display, an UnattendedView without); a quiet run uses none of it and shows nothing, its boxes and
// questions going to the error stream.
struct CommandLineHost {
    std::filesystem::path programFolder;
    engine::SerialLine& line;
    engine::Pacer& pacer;
    engine::CallView& view;
    Clock& clock;
    std::ostream& errors;
    engine::Pacing pacing = engine::Pacing::Standard;
};

// The whole command-line start: a command line that is no page (commandLineProblem) sends nothing and
// reports its problem with status 2. Then the shared folder is taken from NETWORK.DAT (so a shared
// directory is searched), then pageFromCommandLine runs on the engine's paging call. A NETWORK.DAT that cannot be
// read leaves the program folder in use and is reported on the error stream; a shared folder that cannot
// be used (store::sharedDirectoryAvailable) is reported there too, and nothing is sent.
CommandLineOutcome runCommandLinePaging(const CommandLineHost& host, std::string_view commandLine);

} // namespace tolvane::dispatch
