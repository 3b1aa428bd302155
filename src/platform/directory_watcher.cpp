#include "platform/directory_watcher.h"

#include "store/records.h"

#include <QFile>

namespace tolvane::platform {

DirectoryWatcher::DirectoryWatcher(const store::DataFolder& folder, std::chrono::milliseconds interval, QObject* parent)
    : QObject(parent)
    , m_folder(folder)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(std::chrono::milliseconds(100));
    connect(&m_settle, &QTimer::timeout, this, &DirectoryWatcher::check);
    connect(&m_notifier, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_notifier, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
    m_poll.setInterval(interval);
    connect(&m_poll, &QTimer::timeout, this, &DirectoryWatcher::check);
    m_poll.start();
    acknowledge();
}

void DirectoryWatcher::acknowledge()
{
    m_seen = store::directoryState(m_folder);
    watchPaths();
}

void DirectoryWatcher::check()
{
    const store::DirectoryState now = store::directoryState(m_folder);
    // Another folder is the business of whoever changed to it; a share that is gone has nothing to show.
    const bool news = now != m_seen && now.reachable && now.sharedFolder == m_seen.sharedFolder;
    m_seen = now;
    watchPaths();
    if (news)
        Q_EMIT changed();
}

void DirectoryWatcher::watchPaths()
{
    QStringList wanted;
    if (m_seen.reachable) {
        for (const auto& path : { m_folder.pathOf<store::UserRecord>(), m_folder.pathOf<store::GroupRecord>(),
                 m_folder.pathOf<store::TerminalRecord>() })
            wanted << QFile::decodeName(path.c_str());
        wanted << QFile::decodeName(m_folder.pathOf<store::UserRecord>().parent_path().c_str());
    }
    const QStringList watched = m_notifier.files() + m_notifier.directories();
    for (const QString& path : watched) {
        if (!wanted.contains(path))
            m_notifier.removePath(path);
    }
    for (const QString& path : wanted) {
        if (!watched.contains(path) && QFile::exists(path))
            m_notifier.addPath(path);
    }
}

} // namespace tolvane::platform
