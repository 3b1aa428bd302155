#include "app/command_options.h"
#include "app/companion_windows.h"
#include "app/exit_status.h"
#include "app/practice_line.h"
#include "app/program_folder.h"
#include "dispatch/clock.h"
#include "dispatch/command_line_paging.h"
#include "dispatch/kept_queue.h"
#include "dispatch/unattended_view.h"
#include "platform/dialog_call_view.h"
#include "platform/dialog_service.h"
#include "platform/display.h"
#include "platform/qt_pacer.h"
#include "platform/serial/port_map.h"
#include "platform/serial/posix_serial_line.h"
#include "platform/single_instance.h"
#include "platform/text_bridge.h"
#include "platform/wake_up_channel.h"
#include "platform/workstation_settings.h"
#include "store/codepage.h"
#include "store/data_folder.h"
#include "store/defaults.h"
#include "store/queue_file.h"
#include "store/startup_data.h"
#include "store/store_error.h"
#include "ui/main/main_window.h"
#include "ui/main/program_icon.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

using namespace tolvane;

namespace {

// UTF-8 text for a terminal; control characters from files, peers or arguments are shown, never sent.
void printTo(std::FILE* stream, const std::string& text)
{
    std::fputs(store::visibleControls(text).c_str(), stream);
    std::fflush(stream);
}

// Sends the one page the command line asks for and reports it: a message box at a display, standard
// output without one, nothing at all in a quiet run.
int pageFromCommandLine(const app::CommandOptions& options, const std::filesystem::path& programFolder,
    platform::PosixSerialLine& line, platform::DialogService& dialogs, bool nobodyToAnswer, engine::Pacing pacing)
{
    const bool quiet = dispatch::splitCommandLine(options.commandLine).quiet;
    platform::QtPacer pacer;
    dispatch::SystemClock clock;
    // Without a display the connection log goes to standard error as it is written, unless quiet.
    dispatch::UnattendedView unattended(nullptr, std::cerr, !quiet);
    platform::DialogCallView dialogView(dialogs);
    engine::CallView& view = nobodyToAnswer ? static_cast<engine::CallView&>(unattended) : dialogView;

    const dispatch::CommandLineHost host { programFolder, line, pacer, view, clock, std::cerr, pacing };
    // A network line explains a failed dial in the connection log.
    line.setReport([&view](const std::string& text) { view.appendLog(text); });
    const auto outcome = dispatch::runCommandLinePaging(host, options.commandLine);
    line.setReport(nullptr);
    if (outcome.showReport) {
        const std::string report = outcome.report + (options.practice ? app::kPracticeMark : "");
        if (nobodyToAnswer)
            printTo(stdout, store::cp1252ToUtf8(report) + "\n");
        else
            dialogs.message(platform::fromCore(report));
    }
    return outcome.exitStatus;
}

// --list-queue: only reads QUEUE.DAT, so it needs no display and no lock, and may run beside the window.
int listKeptQueue(const std::filesystem::path& programFolder)
{
    using Condition = store::QueueFileContents::Condition;
    const auto contents = store::readQueueFile(programFolder / store::kQueueFileName);
    printTo(stdout, store::cp1252ToUtf8(dispatch::keptQueueListing(contents.pages)));
    if (contents.condition == Condition::Damaged || contents.condition == Condition::Unreadable) {
        printTo(stderr,
            "tolvane: " + (programFolder / store::kQueueFileName).string()
                + " cannot be read whole: " + store::cp1252ToUtf8(contents.problem) + "\n");
        return app::kExitCannotStart;
    }
    return app::kExitOk;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto parsed = app::parseCommandOptions(arguments);
    if (!parsed.options) {
        printTo(stderr, "tolvane: " + parsed.error + "\n" + app::usageText("tolvane"));
        return app::kExitUsage;
    }
    const app::CommandOptions& options = *parsed.options;
    if (options.help) {
        printTo(stdout, app::usageText("tolvane"));
        return app::kExitOk;
    }
    if (options.version) {
        printTo(stdout, app::versionText());
        return app::kExitOk;
    }

    const auto programFolder
        = options.dataDir.empty() ? app::defaultProgramFolder(store::executableFolder()) : options.dataDir;
    if (options.listQueue)
        return listKeptQueue(programFolder);
    if (const std::string problem = app::prepareProgramFolder(programFolder); !problem.empty()) {
        printTo(stderr, "tolvane: " + problem + "\n");
        return app::kExitCannotStart;
    }

    // Before any Qt application object: without a display the program runs on a core application, where
    // command-line paging still works.
    const bool headless = !platform::displayAvailable();
    // Qt keeps argc and argv for the application's lifetime and may take its own options out of them.
    std::vector<char*> qtArguments(argv, argv + argc);
    std::string platformOption = "-platform";
    std::string platformList = platform::platformFallback();
    if (!headless && !platformList.empty())
        qtArguments.insert(qtArguments.begin() + 1, { platformOption.data(), platformList.data() });
    qtArguments.push_back(nullptr);
    int qtArgumentCount = static_cast<int>(qtArguments.size()) - 1;
    std::unique_ptr<QCoreApplication> application;
    if (headless)
        application = std::make_unique<QCoreApplication>(qtArgumentCount, qtArguments.data());
    else
        application = std::make_unique<QApplication>(qtArgumentCount, qtArguments.data());
    QCoreApplication::setApplicationName(QStringLiteral("Tolvane"));
    // The display was named but could not be reached: Qt fell back to the invisible platform.
    const bool displayUnreachable = !headless && !platformList.empty()
        && QGuiApplication::platformName() == QLatin1String(platform::kFallbackPlatform);

    // On an invisible platform (offscreen) there is a display for Qt, but nobody to read a box. A quiet run
    // is started by scripts, which must never hang on a box at a display either (the refusal of a second
    // copy included): its few messages go to standard error.
    const bool quietRun = !options.commandLine.empty() && dispatch::splitCommandLine(options.commandLine).quiet;
    const bool nobodyToAnswer = headless || displayUnreachable || platform::invisiblePlatform() || quietRun;
    std::unique_ptr<platform::DialogService> dialogs;
    if (nobodyToAnswer)
        dialogs = std::make_unique<platform::ConsoleDialogService>(true);
    else
        dialogs = std::make_unique<platform::WidgetDialogService>();

    platform::SingleInstanceLock instance;
    platform::WakeUpChannel wakeUp(programFolder);
    switch (instance.acquire(programFolder)) {
    case platform::SingleInstanceLock::Result::Acquired:
        break;
    case platform::SingleInstanceLock::Result::AlreadyRunning:
        // At a display the running copy comes forward, from the tray if hidden, behind this copy's box.
        if (!nobodyToAnswer)
            wakeUp.wakeRunningCopy();
        dialogs->message(QStringLiteral(" Tolvane already running"));
        return app::kExitAlreadyRunning;
    case platform::SingleInstanceLock::Result::Failed:
        printTo(stderr, "tolvane: " + instance.error() + "\n");
        return app::kExitCannotStart;
    }

    const store::DataFolder folder(programFolder);
    try {
        store::installIfNew(folder);
    } catch (const store::StoreError& error) {
        printTo(stderr, "tolvane: cannot install the data files: " + store::cp1252ToUtf8(error.what()) + "\n");
        return app::kExitCannotStart;
    }

    platform::PortMap ports = platform::PortMap::inProgramFolder(folder);
    app::PracticeLine practice;
    if (options.practice) {
        try {
            practice.start(ports);
        } catch (const std::system_error& error) {
            printTo(stderr, std::string("tolvane: cannot start the practice line: ") + error.what() + "\n");
            return app::kExitCannotStart;
        }
    }
    platform::PosixSerialLine line(ports);
    // The command line's pacing, for this run only, before the one stored on this workstation.
    const engine::Pacing pacing = options.pacing.value_or(platform::storedPacing());

    if (!options.commandLine.empty())
        return pageFromCommandLine(options, programFolder, line, *dialogs, nobodyToAnswer, pacing);

    if (headless) {
        printTo(stderr,
            "tolvane: no display to open the paging window on (neither DISPLAY nor WAYLAND_DISPLAY is "
            "set). Page from the command line instead: tolvane \"name:message\"\n");
        return app::kExitCannotStart;
    }
    if (displayUnreachable) {
        printTo(stderr,
            "tolvane: cannot reach the display DISPLAY names to open the paging window on. Page from the "
            "command line instead: tolvane \"name:message\"\n");
        return app::kExitCannotStart;
    }
    platform::QtPacer pacer;
    QGuiApplication::setWindowIcon(ui::programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("tolvane"));
    ui::MainWindow window(programFolder, line, pacer, *dialogs, options.practice);
    window.pagingCall().setPacing(pacing);
    window.desk().setRetryPolicy(platform::storedRetryPolicy());
    line.setReport([&window](const std::string& text) { window.callView().appendLog(text); });
    app::registerCompanionWindows(window, *dialogs, ports, line, options.practice);
    QObject::connect(&wakeUp, &platform::WakeUpChannel::wakeUpRequested, &window, &ui::MainWindow::restoreWindow);
    wakeUp.listen();
    if (auto* boxes = dynamic_cast<platform::WidgetDialogService*>(dialogs.get()))
        boxes->setParent(&window);
    if (!window.startUp())
        return app::kExitCannotStart;
    return application->exec();
}
