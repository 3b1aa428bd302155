#include "ui/main/network_setup.h"

#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "store/data_folder.h"
#include "store/network_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tolvane::ui {
namespace {

const QString kSetupTitle = QStringLiteral("Network Shared Setup");

// A folder chosen to hold a new shared directory; false when none was made.
bool createSharedDirectory(platform::DialogService& dialogs, store::DataFolder& folder)
{
    const QString chosen = dialogs.openFolderName(QStringLiteral("Create a Shared Directory in an Empty Folder"));
    if (chosen.isEmpty())
        return false;
    const int start = dialogs.choose(QStringLiteral("Start the new shared directory with the users, groups and paging "
                                                    "companies this workstation uses now, or empty?"),
        kSetupTitle, { QStringLiteral("&Copy This Directory"), QStringLiteral("Start &Empty") });
    if (start < 0)
        return false;
    const std::string path = chosenFilePath(chosen);
    const std::string problem = store::createSharedDirectory(
        folder, path, start == 0 ? store::NewShare::CopyDirectory : store::NewShare::Empty);
    if (!problem.empty()) {
        dialogs.message(platform::fromCore(problem));
        return false;
    }
    store::useSharedFolder(folder, path);
    return true;
}

} // namespace

std::string chosenFilePath(const QString& chosen)
{
    if (chosen.isEmpty())
        return {};
    // A path, not page text: it keeps the file system's own bytes, whatever letters the folder's name has.
    return QFile::encodeName(QDir::cleanPath(QFileInfo(chosen).absoluteFilePath())).toStdString();
}

std::string sharedFolderFromChosenFile(const QString& chosen)
{
    return store::sharedFolderFromChosenFile(chosenFilePath(chosen));
}

bool runNetworkSetup(platform::DialogService& dialogs, store::DataFolder& folder)
{
    enum { Existing, New, OwnDirectory };
    const int choice = dialogs.choose(
        QStringLiteral("Which directory of users, groups and paging companies should this workstation use? A shared "
                       "directory is a folder that holds USERS.DAT; a new one is made in an empty folder."),
        kSetupTitle,
        { QStringLiteral("E&xisting Shared Directory..."), QStringLiteral("&New Shared Directory..."),
            QStringLiteral("&This Workstation Only") });
    switch (choice) {
    case Existing: {
        // Cancelling, or choosing another file, switches the workstation back to its own folder.
        const QString chosen
            = dialogs.openFileName(QString::fromLatin1(kNetworkDialogTitle), QString::fromLatin1(kNetworkDialogFilter));
        store::applyNetworkSetup(folder, chosenFilePath(chosen));
        return true;
    }
    case New:
        return createSharedDirectory(dialogs, folder);
    case OwnDirectory:
        store::useSharedFolder(folder, {});
        return true;
    default:
        return false;
    }
}

} // namespace tolvane::ui
