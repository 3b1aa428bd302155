#include "dispatch/command_line_paging.h"

#include "dispatch/page_sender.h"
#include "dispatch/unattended_view.h"
#include "engine/paging_call.h"
#include "store/codepage.h"
#include "store/network_file.h"
#include "store/scratch_files.h"
#include "store/startup_data.h"
#include "store/store_error.h"
#include "store/text.h"

namespace tolvane::dispatch {

CommandLinePage splitCommandLine(std::string_view commandLine)
{
    CommandLinePage page;
    const auto colon = commandLine.find(':');
    page.name = std::string(commandLine.substr(0, colon));
    if (colon != std::string_view::npos)
        page.message = std::string(commandLine.substr(colon + 1));
    page.paddedName = store::fixedText(page.name, 25);
    if (!page.message.empty() && page.message.back() == '%') {
        page.quiet = true;
        // The "%" and the blank before it; a "%" standing alone leaves an empty message.
        page.message.resize(page.message.size() >= 2 ? page.message.size() - 2 : 0);
    }
    return page;
}

std::string commandLineProblem(std::string_view commandLine)
{
    const CommandLinePage page = splitCommandLine(commandLine);
    std::string problem;
    if (commandLine.find(':') == std::string_view::npos)
        problem = "no colon in \"" + std::string(commandLine) + "\"";
    else if (store::trim(page.name).empty())
        problem = "no user's name before the colon";
    else if (store::trim(page.message).empty())
        problem = "no message after the colon in \"" + std::string(commandLine) + "\"";
    else
        return {};
    return problem + "; expected name:message, as in \"Dana Whitlow:Call the front desk\"";
}

CommandLineOutcome pageFromCommandLine(PagingDesk& desk, std::string_view commandLine)
{
    desk.tickClock();
    const CommandLinePage page = splitCommandLine(commandLine);

    desk.setActiveList(ActiveList::Users);
    desk.clearRecipients(); // the start-up state: nobody chosen, the limit 80
    desk.addRecipientName(page.paddedName);
    desk.setMessage(page.message);
    desk.sendToOneRecipient();

    CommandLineOutcome outcome;
    outcome.quiet = page.quiet;
    outcome.sentCount = desk.runState().sentCount;
    outcome.paddedName = page.paddedName;
    const bool sent = outcome.sentCount == 1;
    outcome.exitStatus = sent ? 0 : 1;
    if (!sent) {
        outcome.report = std::string(kPageWasNotSent);
        if (desk.nobodyNamed())
            outcome.report += "\n" + noSuchUserText(page.paddedName);
        // A calling script decides on this line: "Refused for good: ..." is worth no second try.
        else if (const auto& said = desk.lastSingleOutcome(); said && !said->delivered())
            outcome.report += "\n" + said->words();
    } else if (const auto limit = static_cast<std::size_t>(desk.messageLimit());
               store::rtrim(page.message).size() > limit) {
        outcome.report = std::string(kPageWasSentTo) + store::rtrim(page.paddedName) + " (message cut to "
            + std::to_string(limit) + " characters)";
    } else {
        outcome.report = std::string(kPageWasSentTo) + page.paddedName;
    }
    outcome.showReport = !page.quiet;
    return outcome;
}

CommandLineOutcome runCommandLinePaging(const CommandLineHost& host, std::string_view commandLine)
{
    store::DataFolder folder(host.programFolder);
    // The shared directory is settled before the user is looked up, or a user of a shared directory
    // would not be found.
    try {
        folder.setSharedFolder(store::readNetworkFile(folder.programPath("NETWORK.DAT")));
    } catch (const store::StoreError& error) {
        if (error.number() != 53)
            host.errors << "NETWORK.DAT: " << store::terminalText(error.what()) << '\n';
    }

    const CommandLinePage page = splitCommandLine(commandLine);
    if (const std::string problem = commandLineProblem(commandLine); !problem.empty()) {
        CommandLineOutcome outcome;
        outcome.exitStatus = 2;
        outcome.quiet = page.quiet;
        outcome.paddedName = page.paddedName;
        outcome.report = problem;
        outcome.showReport = true; // even in a quiet run: a script must learn that its command line is wrong
        return outcome;
    }
    if (!store::sharedDirectoryAvailable(folder)) {
        // Looking the user up would create an empty USERS.DAT in the mount point of a share that is not
        // mounted, which every later start would take for the directory.
        host.errors << "The shared folder " << store::terminalText(folder.sharedFolder())
                    << " cannot be reached or holds no USERS.DAT.\n";
        CommandLineOutcome outcome;
        outcome.quiet = page.quiet;
        outcome.paddedName = page.paddedName;
        outcome.report = std::string(kPageWasNotSent);
        outcome.showReport = !page.quiet;
        return outcome;
    }
    store::removeAbandonedScratchFiles(folder);
    // A quiet run shows nothing at all: only what would have stopped for a person reaches the error stream.
    UnattendedView quietView(nullptr, host.errors, false);
    engine::CallView& view = page.quiet ? static_cast<engine::CallView&>(quietView) : host.view;

    PagingDesk desk(folder, view, host.clock);
    engine::PagingCall call(host.line, host.pacer, view, desk.callQueue(), folder, desk.runState(), host.pacing);
    PagingCallSender sender(call);
    desk.setPageSender(&sender);
    return pageFromCommandLine(desk, commandLine);
}

} // namespace tolvane::dispatch
