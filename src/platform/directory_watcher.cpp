#include "platform/directory_watcher.h"

#include "store/records.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>

#include <filesystem>
#include <thread>

namespace tolvane::platform {
namespace {

// The directory files as they stand and the paths to watch for notices: the three files that exist and their
// folder. It may block for as long as a share that has stopped answering takes to give up.
DirectoryWatcher::Look lookAt(const store::DataFolder& folder)
{
    DirectoryWatcher::Look look;
    look.state = store::directoryState(folder);
    if (!look.state.reachable)
        return look;
    const auto users = folder.pathOf<store::UserRecord>();
    for (const auto& path :
        { users, folder.pathOf<store::GroupRecord>(), folder.pathOf<store::TerminalRecord>(), users.parent_path() }) {
        std::error_code ec;
        if (std::filesystem::exists(path, ec))
            look.paths << QFile::decodeName(path.c_str());
    }
    return look;
}

} // namespace

DirectoryWatcher::DirectoryWatcher(const store::DataFolder& folder, std::chrono::milliseconds interval, QObject* parent)
    : QObject(parent)
    , m_folder(folder)
    , m_notifier(this)
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
    // A look begun before this sees files older than these: its answer is passed over.
    ++m_generation;
    const Look look = lookAt(m_folder);
    m_seen = look.state;
    watch(look.paths);
}

void DirectoryWatcher::check()
{
    if (m_looking) {
        m_lookAgain = true;
        return;
    }
    m_looking = true;
    // On a thread of its own, so that a share that has stopped answering never stops the window; detached, so
    // that such a look never holds up the program's end either. It works on a copy of the folder.
    std::thread([folder = m_folder, generation = m_generation, self = QPointer<DirectoryWatcher>(this)]() mutable {
        Look look = lookAt(folder);
        if (QCoreApplication* application = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                application,
                [self = std::move(self), look = std::move(look), generation] {
                    if (self)
                        self->compare(look, generation);
                },
                Qt::QueuedConnection);
    }).detach();
}

void DirectoryWatcher::compare(const Look& look, std::uint64_t generation)
{
    m_looking = false;
    if (generation == m_generation) {
        // Another folder is the business of whoever changed to it; a share that is gone has nothing to show.
        const bool news
            = look.state != m_seen && look.state.reachable && look.state.sharedFolder == m_seen.sharedFolder;
        m_seen = look.state;
        watch(look.paths);
        if (news)
            Q_EMIT changed();
    }
    if (std::exchange(m_lookAgain, false))
        check();
}

void DirectoryWatcher::watch(const QStringList& paths)
{
    // Files replaced by a rename are watched again: their old watch ended with them.
    const QStringList watched = m_notifier.files() + m_notifier.directories();
    for (const QString& path : watched) {
        if (!paths.contains(path))
            m_notifier.removePath(path);
    }
    for (const QString& path : paths) {
        if (!watched.contains(path))
            m_notifier.addPath(path);
    }
}

} // namespace tolvane::platform
