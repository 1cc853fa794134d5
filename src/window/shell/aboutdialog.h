// frmAbout: product name, version, redistribution notice and the maker's lines.
#pragma once

#include <QDialog>
#include <QString>

namespace Feedsmith {

// The About box. It is not translated; Enter and Esc close it.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);

    // "Version " and major.minor.revision of the build.
    static QString versionText();
};

} // namespace Feedsmith
