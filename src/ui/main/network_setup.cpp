#include "ui/main/network_setup.h"

#include "platform/text_bridge.h"

#include <QDir>
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
    return platform::toCore(folder);
}

} // namespace tolvane::ui
