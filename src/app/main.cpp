#include "app/command_options.h"
#include "app/exit_status.h"
#include "app/program_folder.h"
#include "platform/dialog_service.h"
#include "platform/display.h"
#include "platform/single_instance.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace tolvane;

namespace {

void printTo(std::FILE* stream, const std::string& text)
{
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
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

    const auto programFolder = options.dataDir.empty() ? app::executableFolder() : options.dataDir;
    if (const std::string problem = app::prepareProgramFolder(programFolder); !problem.empty()) {
        printTo(stderr, "tolvane: " + problem + "\n");
        return app::kExitCannotStart;
    }

    // Before any Qt application object: without a display the program runs on a core application, where
    // command-line paging still works.
    const bool headless = !platform::displayAvailable();
    std::unique_ptr<QCoreApplication> application;
    if (headless)
        application = std::make_unique<QCoreApplication>(argc, argv);
    else
        application = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tolvane"));

    std::unique_ptr<platform::DialogService> dialogs;
    if (headless)
        dialogs = std::make_unique<platform::ConsoleDialogService>(true);
    else
        dialogs = std::make_unique<platform::WidgetDialogService>();

    platform::SingleInstanceLock instance;
    switch (instance.acquire(programFolder)) {
    case platform::SingleInstanceLock::Result::Acquired:
        break;
    case platform::SingleInstanceLock::Result::AlreadyRunning:
        dialogs->message(QStringLiteral(" Tolvane already running"));
        return app::kExitAlreadyRunning;
    case platform::SingleInstanceLock::Result::Failed:
        printTo(stderr, "tolvane: " + instance.error() + "\n");
        return app::kExitCannotStart;
    }

    if (!options.commandLine.empty()) {
        printTo(stderr, "tolvane: command-line paging is not wired in yet\n");
        return app::kExitNotSent;
    }

    if (headless) {
        printTo(stderr,
            "tolvane: no display to open the paging window on (neither DISPLAY nor WAYLAND_DISPLAY is "
            "set). Page from the command line instead: tolvane \"name:message\"\n");
        return app::kExitCannotStart;
    }
    return application->exec();
}
