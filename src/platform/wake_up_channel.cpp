#include "platform/wake_up_channel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <system_error>
#include <unistd.h>

namespace tolvane::platform {
namespace {

// The user's runtime folder where there is one; the shared temporary folder otherwise, where the user's id
// in the name keeps one user's socket from standing in another's way.
QString socketFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    return QDir::tempPath();
}

} // namespace

WakeUpChannel::WakeUpChannel(const std::filesystem::path& programFolder, QObject* parent)
    : QObject(parent)
{
    // The same folder reached through a link or a relative path is the same copy.
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::weakly_canonical(programFolder, ec);
    if (ec)
        folder = programFolder.lexically_normal();
    const QByteArray hash
        = QCryptographicHash::hash(QByteArray::fromStdString(folder.string()), QCryptographicHash::Sha256).toHex();
    m_path = QStringLiteral("%1/tolvane-%2-%3").arg(socketFolder()).arg(::getuid()).arg(QLatin1String(hash.left(16)));
}

bool WakeUpChannel::listen()
{
    if (m_server)
        return m_server->isListening();
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* caller = m_server->nextPendingConnection()) {
            caller->disconnectFromServer();
            caller->deleteLater();
            Q_EMIT wakeUpRequested();
        }
    });
    // Only the copy holding the lock gets here, so a socket already at the path is a dead copy's.
    QLocalServer::removeServer(m_path);
    return m_server->listen(m_path);
}

bool WakeUpChannel::wakeRunningCopy(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.disconnectFromServer();
    return true;
}

} // namespace tolvane::platform
