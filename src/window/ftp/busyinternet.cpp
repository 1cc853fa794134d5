// The Internet library for the window.
#include "window/ftp/busyinternet.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>

#include <memory>

namespace Feedsmith {

namespace {

// Runs call on a worker thread and waits for it with the busy cursor, processing every event
// but user input meanwhile.
template<typename Call>
auto whileBusy(bool direct, Call call) -> decltype(call())
{
    if (direct)
        return call();
    decltype(call()) result{};
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    std::unique_ptr<QThread> worker(QThread::create([&] { result = call(); }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    QGuiApplication::restoreOverrideCursor();
    return result;
}

} // namespace

InternetHandle BusyInternet::openSession(const QString &agent, const QString &proxy)
{
    return m_internet.openSession(agent, proxy); // no network involved
}

InternetHandle BusyInternet::connectFtp(InternetHandle session, const QString &server, const QString &userName,
                                        const QString &password)
{
    return whileBusy(m_direct, [&] { return m_internet.connectFtp(session, server, userName, password); });
}

RemoteListing BusyInternet::listDirectory(InternetHandle connection)
{
    return whileBusy(m_direct, [&] { return m_internet.listDirectory(connection); });
}

bool BusyInternet::setCurrentDirectory(InternetHandle connection, const QString &path)
{
    return whileBusy(m_direct, [&] { return m_internet.setCurrentDirectory(connection, path); });
}

bool BusyInternet::putFile(InternetHandle connection, const QString &localPath, const QString &remoteName)
{
    return whileBusy(m_direct, [&] { return m_internet.putFile(connection, localPath, remoteName); });
}

void BusyInternet::closeHandle(InternetHandle handle)
{
    // Closing a connection says goodbye to the server and may wait for its answer.
    whileBusy(m_direct, [&] {
        m_internet.closeHandle(handle);
        return true;
    });
}

} // namespace Feedsmith
