#include "ui/single_instance.h"

#include <unistd.h>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include "ui/application.h"
#include "ui/dialog.h"
#include "ui/ui_internal.h"

namespace {

constexpr int kConnectTimeoutMs = 1000;
const QByteArray kRaiseRequest = QByteArrayLiteral("raise\n");

struct InstanceServer {
    std::unique_ptr<QLocalServer> server;
    int requests = 0;
};

InstanceServer& Instance() {
    return ui::Immortal<InstanceServer>();
}

// One socket per user: in the user's runtime folder when there is one, else the temporary
// folder with the user's id in the name.
QString SocketPath(std::u16string_view name) {
    const QString base = ui::ToQString(name);
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QString::fromLocal8Bit(runtime)).exists()) {
        return QDir(QString::fromLocal8Bit(runtime)).filePath(base + QStringLiteral(".sock"));
    }
    return QDir::temp().filePath(base + QStringLiteral("-") + QString::number(getuid()) +
                                 QStringLiteral(".sock"));
}

bool AskRunningCopy(const QString& path) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    socket.write(kRaiseRequest);
    const bool sent = socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return sent;
}

void OnConnection(QLocalServer* server) {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto onRequest = [socket] {
            if (!socket->readAll().contains(kRaiseRequest.trimmed())) return;
            ++Instance().requests;
            SetForegroundWindow(nullptr);
        };
        QObject::connect(socket, &QLocalSocket::readyRead, socket, onRequest);
        if (socket->bytesAvailable() > 0) onRequest();
    }
}

}  // namespace

InstanceClaim ClaimSingleInstance(std::u16string_view name) {
    EnsureApplication();
    const QString path = SocketPath(name);
    if (AskRunningCopy(path)) return InstanceClaim::AlreadyRunning;
    // Nobody answered: a socket file left by a copy that died is in the way, not a copy.
    QLocalServer::removeServer(path);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path)) return InstanceClaim::Failed;
    QLocalServer* raw = server.get();
    QObject::connect(raw, &QLocalServer::newConnection, raw, [raw] { OnConnection(raw); });
    Instance().server = std::move(server);
    ui::AtApplicationExit([] { Instance().server.reset(); });
    return InstanceClaim::First;
}

int ForegroundRequestCount() {
    return Instance().requests;
}
