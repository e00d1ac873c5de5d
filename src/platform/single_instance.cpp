#include "platform/single_instance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {
namespace {

const QByteArray kActivate = "activate\n";

// Socket and lock names may not hold every character of a title, and two
// users of one machine each run their own instance.
QString baseName(const QString& title) {
    const QByteArray user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME")).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(title.toUtf8() + '\0' + user, QCryptographicHash::Sha1).toHex();
    QString name = QStringLiteral("terralog-") + QString::fromLatin1(hash.left(16));
#ifdef Q_OS_WIN
    DWORD session = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session)) name += QStringLiteral("-s%1").arg(session);
#endif
    return name;
}

// Windows names a pipe, seen machine-wide; elsewhere the socket is a file
// in the user's runtime folder (Qt falls back to a private folder of the
// user when the session has none).
QString instanceName(const QString& title) {
#ifdef Q_OS_WIN
    return baseName(title);
#else
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return QDir(folder).filePath(baseName(title));
#endif
}

}  // namespace

SingleInstance::SingleInstance(const QString& title, QObject* parent)
    : QObject(parent), name_(instanceName(title)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockFileName() const {
#ifdef Q_OS_WIN
    return QDir(QDir::tempPath()).filePath(name_ + QStringLiteral(".lock"));
#else
    return name_ + QStringLiteral(".lock");
#endif
}

SingleInstance::Claim SingleInstance::claim(int timeoutMs) {
    lock_ = std::make_unique<QLockFile>(lockFileName());
    // Only a dead owner makes a lock stale, never its age.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        QLocalServer::removeServer(name_);  // a socket file left by a crash
        server_->listen(name_);
        connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
        return Claim::Own;
    }
    lock_.reset();
    // The running instance may still be starting: try until it listens.
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(name_);
        if (socket.waitForConnected(200)) {
            socket.write(kActivate);
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(1000);
            return Claim::RunningAsked;
        }
        QThread::msleep(50);
    }
    return Claim::RunningUnreachable;
}

void SingleInstance::acceptConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto readRequest = [this, socket] {
            while (socket->canReadLine())
                if (socket->readLine() == kActivate) emit activationRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        readRequest();
    }
}

}  // namespace platform
