// The Internet library for the window: calls run beside the window, which keeps painting.
#pragma once

#include "net/internet.h"

namespace Feedsmith {

// Passes every call on to another Internet, running it on a worker thread while the window
// shows the busy cursor and goes on painting. Clicks and keys that arrive meanwhile wait until
// the call is over, as they would for a call made on the window's own thread.
class BusyInternet : public Internet
{
public:
    explicit BusyInternet(Internet &internet)
        : m_internet(internet)
    { }

    InternetHandle openSession(const QString &agent, const QString &proxy) override;
    InternetHandle connectFtp(InternetHandle session, const QString &server, const QString &userName,
                              const QString &password) override;
    RemoteListing listDirectory(InternetHandle connection) override;
    bool setCurrentDirectory(InternetHandle connection, const QString &path) override;
    bool putFile(InternetHandle connection, const QString &localPath, const QString &remoteName) override;
    bool makeDirectory(InternetHandle connection, const QString &name) override
    {
        return m_internet.makeDirectory(connection, name);
    }
    void closeHandle(InternetHandle handle) override;

    // Calls made while the window closes go straight through, without an event loop.
    void setDirect(bool direct) { m_direct = direct; }

    QString serverFingerprint() const override { return m_internet.serverFingerprint(); }
    // Writes a line to a local file: no network involved.
    bool trustServer(const QString &server, const QString &fingerprint) override
    {
        return m_internet.trustServer(server, fingerprint);
    }

    void setTransferWatch(TransferWatch watch) override { m_internet.setTransferWatch(std::move(watch)); }
    quint32 lastError() const override { return m_internet.lastError(); }
    ServerResponse lastResponse() const override { return m_internet.lastResponse(); }

private:
    Internet &m_internet;
    bool m_direct = false;
};

} // namespace Feedsmith
