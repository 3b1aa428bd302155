#include "ui/main/network_setup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tolvane::ui {

std::string sharedFolderFromChosenFile(const QString& chosen)
{
    if (chosen.isEmpty())
        return {};
    const QFileInfo file(chosen);
    // Only the file's own name counts: a folder such as /srv/users.dat.old/ must not cut the path short.
    if (file.fileName().compare(QStringLiteral("users.dat"), Qt::CaseInsensitive) != 0)
        return {};
    QString folder = QDir::cleanPath(file.absolutePath());
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    // A path, not page text: it keeps the file system's own bytes, whatever letters the folder's name has.
    return QFile::encodeName(folder).toStdString();
}

} // namespace tolvane::ui
