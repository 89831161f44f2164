#include "shell/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {
const char kActivate[] = "activate\n";
const char kAnswer[] = "ok\n";
} // namespace

TSingleInstance::TSingleInstance(const QString& name, const QString& folder, QObject* parent)
    : QObject(parent), m_name(name), m_folder(folder.isEmpty() ? DefaultFolder() : folder)
{
#ifdef Q_OS_UNIX
    // A full path keeps the socket beside the lock, in the user's folder, instead of the shared one.
    m_name = QDir(m_folder).filePath(name);
#else
    // Pipe names are shared by the whole machine: the user's name keeps each desktop to itself.
    m_name = name + QLatin1Char('-') + qEnvironmentVariable("USERNAME");
#endif
}

QString TSingleInstance::DefaultFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

TSingleInstance::~TSingleInstance()
{
    if (m_server)
        m_server->close();
}

QString TSingleInstance::NameForExecutable()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUpper();
}

TSingleInstance::Lock TSingleInstance::Acquire()
{
    QDir().mkpath(m_folder);
    const QString path = QDir(m_folder).filePath(QFileInfo(m_name).fileName() + QStringLiteral(".lock"));
    m_lock = std::make_unique<QLockFile>(path);
    // A lock left by a crashed instance is taken over at once rather than after the default delay.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Lock::Acquired;
    switch (m_lock->error()) {
    case QLockFile::LockFailedError:
        return Lock::HeldByAnother;
    case QLockFile::PermissionError:
        m_error = QStringLiteral("The lock file\r\n%1\r\ncannot be created: permission denied.")
                      .arg(QDir::toNativeSeparators(path));
        return Lock::Failed;
    default:
        m_error = QStringLiteral("The lock file\r\n%1\r\ncannot be created.").arg(QDir::toNativeSeparators(path));
        return Lock::Failed;
    }
}

bool TSingleInstance::ActivateRunning(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kActivate);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.readLine() == kAnswer;
}

void TSingleInstance::Listen(std::function<void()> activate)
{
    m_activate = std::move(activate);
    m_server = new QLocalServer(this);
    // We hold the lock, so a socket of that name can only be left over from an instance that died.
    QLocalServer::removeServer(m_name);
    m_server->listen(m_name);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine()) {
                    if (socket->readLine() == kActivate) {
                        if (m_activate)
                            m_activate();
                        socket->write(kAnswer);
                        socket->flush();
                    }
                }
            });
        }
    });
}
