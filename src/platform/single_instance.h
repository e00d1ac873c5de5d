#pragma once

#include <memory>

#include <QObject>
#include <QString>

class QLocalServer;
class QLockFile;

namespace platform {

// One running instance per user session and application title. The first
// start takes a lock file (a lock left by a crashed run is taken over) and
// listens on a local socket named after the title; a later start finds the
// lock taken, asks the running instance through the socket to come forward,
// and ends.
//
// Both live where only the session sees them: the user's runtime folder on
// Linux (XDG_RUNTIME_DIR), names carrying the session id on Windows, whose
// pipes are seen by every session of the machine. In the machine's shared
// temporary folder, the instance of another user or another session would
// stop every start.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Claim {
        Own,                 // this process is the instance and listens for later starts
        RunningAsked,        // another instance runs and was asked to come forward
        RunningUnreachable,  // another instance holds the lock but did not answer
    };

    explicit SingleInstance(const QString& title, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock, or asks the running instance to come forward, trying
    // for timeoutMs while it may still be starting.
    Claim claim(int timeoutMs = 3000);

    // The local socket's name (a path on Linux) and the lock file beside it.
    QString socketName() const { return name_; }
    QString lockFileName() const;

signals:
    // A later start asked this instance to come forward.
    void activationRequested();

private:
    void acceptConnection();

    QString name_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

}  // namespace platform
