#pragma once

#include "store/directory_state.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>

namespace tolvane::platform {

// Tells when USERS.DAT, GROUP.DAT or TERMINAL.DAT change under this program: another workstation's edit of a
// shared directory, or another copy's sort. The file system's notification says so at once where it works; a
// network share often sends none, so the files are also looked at every `interval`. Either way a change counts
// only when the files' content differs from what was last seen, so this program's own writes, once
// acknowledged, raise nothing. A shared folder that cannot be reached raises nothing either, until it is back.
// The regular look runs on a thread of its own: a share that stops answering must not stop the window.
//
// Wiring in the program:
//     platform::DirectoryWatcher watcher(window.dataFolder(), std::chrono::seconds(3));
//     QObject::connect(&watcher, &platform::DirectoryWatcher::changed, [&] { desk.refreshDirectory(); });
//     // after this program's own change: watcher.acknowledge();
class DirectoryWatcher : public QObject {
    Q_OBJECT

public:
    DirectoryWatcher(const store::DataFolder& folder, std::chrono::milliseconds interval, QObject* parent = nullptr);

    // The files as they stand now are what the windows show: after this program's own change, or after its
    // windows read another folder.
    void acknowledge();
    // Looks at the files (on a thread of their own); changed() when they differ from what was last seen.
    void check();

    struct Look {
        store::DirectoryState state;
        QStringList paths;
    };

Q_SIGNALS:
    void changed();

private:
    void compare(const Look& look, std::uint64_t generation);
    void watch(const QStringList& paths);

    const store::DataFolder& m_folder;
    store::DirectoryState m_seen;
    std::uint64_t m_generation = 0;
    bool m_looking = false;
    bool m_lookAgain = false;
    QFileSystemWatcher m_notifier;
    QTimer m_poll;
    // Gathers the burst of notifications one write makes into one look.
    QTimer m_settle;
};

} // namespace tolvane::platform
