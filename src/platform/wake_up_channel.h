#pragma once

#include <QObject>
#include <QString>

#include <filesystem>

class QLocalServer;

namespace tolvane::platform {

// How a second start at a display brings the running copy's window forward: the copy that holds the
// program folder's lock listens on a local socket named after the folder and private to this user, and a
// connection to it is the request. Two program folders never share a socket.
//
//     platform::WakeUpChannel wakeUp(programFolder);
//     // refused:      wakeUp.wakeRunningCopy(); then the " Tolvane already running" box
//     // window open:  wakeUp.listen(); connect(&wakeUp, &WakeUpChannel::wakeUpRequested, &window, ...);
class WakeUpChannel final : public QObject {
    Q_OBJECT

public:
    explicit WakeUpChannel(const std::filesystem::path& programFolder, QObject* parent = nullptr);

    // The running copy, which holds the lock: a socket that a copy which died left behind is replaced.
    bool listen();
    // A second start: whether the running copy could be reached.
    bool wakeRunningCopy(int timeoutMs = 2000) const;

    const QString& socketPath() const { return m_path; }

Q_SIGNALS:
    void wakeUpRequested();

private:
    QString m_path;
    QLocalServer* m_server = nullptr;
};

} // namespace tolvane::platform
