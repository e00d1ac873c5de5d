#pragma once

#include <memory>

#include <QObject>
#include <QString>

class QLocalServer;
class QLockFile;

namespace platform {

// One running instance per user and application title. The first start takes
// a lock file (a lock left by a crashed run is taken over) and listens on a
// local socket named after the title; a later start finds the lock taken,
// asks the running instance through the socket to come forward, and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& title, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the one instance; it then listens for later
    // starts. False when another instance runs; it has then been asked to
    // come forward (within timeoutMs).
    bool claim(int timeoutMs = 3000);

    QString socketName() const { return name_; }

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
