// The About box.
#include "window/shell/aboutdialog.h"

#include "window/platform/icons.h"

#include <feedsmith/version.h>

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

QFrame *separatorLine(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

QString AboutDialog::versionText()
{
    return u"Version %1.%2.%3"_s.arg(Version::Major).arg(Version::Minor).arg(Version::Revision);
}

AboutDialog::AboutDialog(const KeyedTexts &texts, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"frmAbout"_s);
    setWindowTitle(texts.valueOr(u"abouttitle"_s, u"About Feedsmith"_s));
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    auto *head = new QHBoxLayout;
    auto *picture = new QLabel(this);
    picture->setPixmap(Icons::applicationIcon().pixmap(48, 48));
    picture->setAlignment(Qt::AlignTop);
    head->addWidget(picture);

    auto *names = new QVBoxLayout;
    auto *lblTitle = new QLabel(QString::fromLatin1(Version::ProductName), this);
    lblTitle->setObjectName(u"lblTitle"_s);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    lblTitle->setFont(titleFont);
    auto *lblVersion = new QLabel(versionText(), this);
    lblVersion->setObjectName(u"lblVersion"_s);
    names->addWidget(lblTitle);
    names->addWidget(lblVersion);
    head->addLayout(names, 1);
    layout->addLayout(head);

    layout->addWidget(separatorLine(this));
    auto *notice = new QLabel(texts.valueOr(u"aboutlicence"_s,
                                            u"Feedsmith is free software under the GNU General Public License, "
                                            "version 3 or later (%1): you may use, study, share and change it. It "
                                            "comes without any warranty."_s)
                                      .arg(QString::fromLatin1(Version::Licence)),
                              this);
    notice->setObjectName(u"lblNotice"_s);
    notice->setWordWrap(true);
    layout->addWidget(notice);
    layout->addWidget(separatorLine(this));

    const QString home = QString::fromLatin1(Version::HomePage);
    auto *maker = new QLabel(u"\u00a9 2026 The Feedsmith developers<br><a href=\"%1\">%1</a>"_s.arg(home), this);
    maker->setObjectName(u"lblMaker"_s);
    maker->setTextFormat(Qt::RichText);
    maker->setOpenExternalLinks(true);
    maker->setTextInteractionFlags(Qt::TextBrowserInteraction);
    layout->addWidget(maker);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *cmdOK = new QPushButton(u"OK"_s, this);
    cmdOK->setObjectName(u"cmdOK"_s);
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    buttons->addWidget(cmdOK);
    layout->addLayout(buttons);
    // Enter presses the default button; Esc rejects the dialog, which closes it the same way.
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(sizeHint().expandedTo(QSize(438, 184)));
}

} // namespace Feedsmith
