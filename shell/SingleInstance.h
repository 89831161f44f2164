#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;

// One running Cofferly per person's desktop. The first instance holds a lock file and listens on a local
// socket, both named after the executable's file name in upper case and kept in the user's own runtime
// folder; a later launch of the same user finds the lock taken, asks the first instance through the socket
// to come forward, and ends before it touches any file. Other users of the computer are not affected by
// it, not even by a lock left behind when an instance was killed.
class TSingleInstance : public QObject
{
    Q_OBJECT
public:
    // folder: where the lock and the socket live; the user's runtime folder when empty.
    explicit TSingleInstance(const QString& name, const QString& folder = QString(), QObject* parent = nullptr);
    ~TSingleInstance() override;

    // The name for the running executable: its file name in upper case.
    static QString NameForExecutable();

    enum class Lock
    {
        Acquired,
        HeldByAnother, // another instance of this user runs
        Failed,        // the lock file cannot be created: ErrorText() says why
    };
    Lock Acquire();
    QString ErrorText() const { return m_error; }

    // The user's own folder for the lock and the socket.
    static QString DefaultFolder();
    // Another instance holds the lock: ask it to come forward. True when it answered.
    bool ActivateRunning(int timeoutMs = 3000);
    // The first instance: start listening; each request from a later launch calls activate.
    void Listen(std::function<void()> activate);

private:
    QString m_name;
    QString m_folder;
    QString m_error;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    std::function<void()> m_activate;
};
