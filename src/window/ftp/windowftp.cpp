// The FTP publishing of the main window.
#include "window/ftp/windowftp.h"

#include "core/text/printable.h"
#include "net/curlinternet.h"
#include "window/platform/dialogs.h"

#include <feedsmith/version.h>

namespace Feedsmith {

using namespace Qt::StringLiterals;

WindowFtp::WindowFtp(QWidget *window, MessageBoxes &messageBoxes, FtpTexts texts, std::unique_ptr<Internet> internet)
    : m_window(window)
    , m_messageBoxes(messageBoxes)
    , m_internet(internet ? std::move(internet) : std::make_unique<CurlInternet>())
    , m_busy(*m_internet)
    , m_publisher(m_busy, *this, std::move(texts))
{ }

WindowFtp::~WindowFtp()
{
    m_busy.setDirect(true);
}

void WindowFtp::show(Icon icon, const QString &shownText)
{
    // The publisher's own line breaks stay; any other control character (from a server's reply)
    // is shown as "?".
    QStringList lines = shownText.split(u"\r\n"_s);
    for (QString &line : lines)
        line = printable(line);
    const QString text = lines.join(u"\r\n"_s);
    const QString title = QString::fromLatin1(Version::ProductName);
    switch (icon) {
    case Icon::None: m_messageBoxes.plain(m_window, title, text); break;
    case Icon::Exclamation: m_messageBoxes.warning(m_window, title, text); break;
    case Icon::Critical: m_messageBoxes.critical(m_window, title, text); break;
    case Icon::Information: m_messageBoxes.information(m_window, title, text); break;
    }
}

bool WindowFtp::confirmServer(const QString &text, const QString &)
{
    // The fingerprint is part of the question.
    return m_messageBoxes.askYesNo(m_window, QString::fromLatin1(Version::ProductName), printable(text));
}

} // namespace Feedsmith
