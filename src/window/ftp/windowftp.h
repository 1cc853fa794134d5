// The FTP publishing of the main window: the publisher with message boxes and the busy cursor.
#pragma once

#include "net/ftppublisher.h"
#include "window/ftp/busyinternet.h"

#include <memory>

class QWidget;

namespace Feedsmith {

class MessageBoxes;

// What the upload button needs: the Internet library (busy while it works), message boxes
// titled with the product name, and the publisher that keeps the connection between clicks.
class WindowFtp : public FtpMessages
{
public:
    // internet: the library to use; the window's own libcurl one when null.
    WindowFtp(QWidget *window, MessageBoxes &messageBoxes, FtpTexts texts,
              std::unique_ptr<Internet> internet = nullptr);
    ~WindowFtp() override;

    FtpPublisher::Outcome upload(const FtpSettings &settings) { return m_publisher.ftpuploadClick(settings); }
    FtpPublisher &publisher() { return m_publisher; }

    void show(Icon icon, const QString &text) override;
    bool confirmServer(const QString &text, const QString &fingerprint) override;

private:
    QWidget *m_window;
    MessageBoxes &m_messageBoxes;
    std::unique_ptr<Internet> m_internet;
    BusyInternet m_busy;
    FtpPublisher m_publisher;
};

} // namespace Feedsmith
