#include "ui/main/network_setup.h"

#include "store/network_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tolvane::ui {

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

} // namespace tolvane::ui
