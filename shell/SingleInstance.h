#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

// One running Cofferly per machine. The first instance holds a lock file and listens on a local socket,
// both named after the executable's file name in upper case; a later launch finds the lock taken, asks the
// first instance through the socket to come forward, and ends before it touches any file.
class TSingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit TSingleInstance(const QString& name, QObject* parent = nullptr);
    ~TSingleInstance() override;

    // The name for the running executable: its file name in upper case.
    static QString NameForExecutable();

    // Takes the lock; false when another instance holds it.
    bool Acquire();
    // Another instance holds the lock: ask it to come forward. True when it answered.
    bool ActivateRunning(int timeoutMs = 3000);
    // The first instance: start listening; each request from a later launch calls activate.
    void Listen(std::function<void()> activate);

private:
    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    std::function<void()> m_activate;
};
