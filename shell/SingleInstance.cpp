#include "shell/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace {
const char kActivate[] = "activate\n";
const char kAnswer[] = "ok\n";
} // namespace

TSingleInstance::TSingleInstance(const QString& name, QObject* parent) : QObject(parent), m_name(name) {}

TSingleInstance::~TSingleInstance()
{
    if (m_server)
        m_server->close();
}

QString TSingleInstance::NameForExecutable()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUpper();
}

bool TSingleInstance::Acquire()
{
    // System-wide: the lock lies in the shared temporary folder, not in a user's own folder.
    m_lock = std::make_unique<QLockFile>(QDir(QDir::tempPath()).filePath(m_name + QStringLiteral(".lock")));
    // A lock left by a crashed instance is taken over at once rather than after the default delay.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
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
