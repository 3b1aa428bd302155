#pragma once

namespace tolvane::app {

// One table of exit statuses for the whole program (the README repeats it).
enum ExitStatus : int {
    kExitOk = 0, // page sent, or a normal end
    kExitNotSent = 1, // command-line page not sent
    kExitUsage = 2, // unknown option or bad usage
    kExitAlreadyRunning = 3, // another copy holds this program folder
    kExitCannotStart = 4, // no display for the window, program folder not writable, start-up error
};

} // namespace tolvane::app
