#include "platform/single_instance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

namespace platform {
namespace {

const QByteArray kActivate = "activate\n";

// Socket and lock names may not hold every character of a title, and two
// users of one machine each run their own instance.
QString instanceName(const QString& title) {
    const QByteArray user = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME")).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(title.toUtf8() + '\0' + user, QCryptographicHash::Sha1).toHex();
    return QStringLiteral("terralog-") + QString::fromLatin1(hash.left(16));
}

}  // namespace

SingleInstance::SingleInstance(const QString& title, QObject* parent)
    : QObject(parent), name_(instanceName(title)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim(int timeoutMs) {
    lock_ = std::make_unique<QLockFile>(QDir(QDir::tempPath()).filePath(name_ + QStringLiteral(".lock")));
    // Only a dead owner makes a lock stale, never its age.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        QLocalServer::removeServer(name_);  // a socket file left by a crash
        server_->listen(name_);
        connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
        return true;
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
            return false;
        }
        QThread::msleep(50);
    }
    return false;
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
