// The publish page: the feed's file and the FTP server it is uploaded to.
#include "window/pages/publishpage.h"

#include "core/output/rsswriter.h"
#include "core/system/processguard.h"
#include "core/system/systemlocale.h"
#include "core/text/printable.h"
#include "window/editing/tabswitching.h"
#include "window/pages/captions.h"
#include "window/pages/fieldboxes.h"
#include "window/shell/fieldhelp.h"
#include "window/shell/htmlpane.h"

#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace Feedsmith {

using namespace Qt::StringLiterals;

PublishPage::PublishPage(const PageContext &context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    Captions &captions = context.captions;
    captions.addPage(this, u"freFTP"_s);
    auto *pageLayout = new QHBoxLayout(this);

    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    QList<std::pair<const DocumentField *, QLineEdit *>> fields;
    auto addRow = [&](QLatin1StringView key) {
        const DocumentField *field = documentField(key);
        QLabel *label = captions.label(field->labelName, field->key, this);
        m_labels.append(label);
        auto *box = new QLineEdit(this);
        box->setObjectName(field->boxName);
        label->setBuddy(box);
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
        fields.append({field, box});
        m_tabChain.append(box);
        return box;
    };
    auto addLeftAligned = [&](QWidget *widget) { grid->addWidget(widget, grid->rowCount(), 1, Qt::AlignLeft); };
    auto boldButton = [&](const QString &name) {
        QPushButton *button = captions.button(name, name, this);
        QFont bold = button->font();
        bold.setBold(true);
        button->setFont(bold);
        button->setMinimumWidth(160);
        m_tabChain.append(button);
        return button;
    };

    m_feedFileEdit = addRow("ftpfile"_L1);
    m_fileDateLabel = captions.label(u"ftpfileproperties"_s, u"ftpfileproperties"_s, this);
    grid->addWidget(m_fileDateLabel, grid->rowCount(), 1);
    QPushButton *generateButton = boldButton(u"ftpgenfile"_s);
    addLeftAligned(generateButton);
    grid->setRowMinimumHeight(grid->rowCount(), 16);
    addRow("ftpurl"_L1);
    addRow("ftpdir"_L1);
    addRow("ftpusername"_L1);
    QLineEdit *password = addRow("ftppassword"_L1);
    password->setEchoMode(QLineEdit::Password);
    // Once a password is typed the process holds it: no core file may carry it off.
    connect(password, &QLineEdit::textChanged, this, [](const QString &text) {
        if (!text.isEmpty() && !protectedFromCoreDumps())
            protectFromCoreDumps();
    });
    addRow("ftpproxy"_L1);
    addRow("feedurl"_L1);
    QPushButton *publishButton = boldButton(u"ftppublish"_s);
    publishButton->setToolTip(context.text(u"ftppublishtip"_s));
    addLeftAligned(publishButton);
    m_lastPublishedLabel = new QLabel(this);
    m_lastPublishedLabel->setObjectName(u"lastPublished"_s);
    // The server and the address come from the project, which may come from someone else.
    m_lastPublishedLabel->setTextFormat(Qt::PlainText);
    m_lastPublishedLabel->setWordWrap(true);
    m_lastPublishedLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(m_lastPublishedLabel, grid->rowCount(), 1);
    QPushButton *uploadButton = captions.button(u"ftpupload"_s, u"ftpupload"_s, this);
    uploadButton->setToolTip(context.text(u"ftpuploadtip"_s));
    m_tabChain.append(uploadButton);
    addLeftAligned(uploadButton);
    grid->setRowStretch(grid->rowCount(), 1);
    pageLayout->addLayout(grid, 65);

    QGroupBox *helpFrame = captions.frame(u"Frame4"_s, u"ftphelp"_s, this);
    m_helpPane = HtmlPane::addHelpPane(helpFrame, u"FTPHelpBrowser"_s, context.startup.programFolder);
    captions.nameAfter(m_helpPane, helpFrame);
    pageLayout->addWidget(helpFrame, 35);

    auto *help = new FieldHelp(context.startup.programFolder, context.startup.language.helpTable, this);
    m_boxes = new FieldBoxes(context.document, *help, this);
    for (const auto &[field, box] : std::as_const(fields))
        m_boxes->bind(*field, box, m_helpPane);
    connect(m_boxes, &FieldBoxes::edited, this, [context] { context.markChanged(); });
    m_fileDateLabel->clear();

    connect(generateButton, &QPushButton::clicked, this, &PublishPage::generateRequested);
    connect(publishButton, &QPushButton::clicked, this, &PublishPage::publishRequested);
    connect(uploadButton, &QPushButton::clicked, this, &PublishPage::uploadRequested);
}

PublishPage::~PublishPage() = default;

void PublishPage::showDocumentFields()
{
    m_boxes->showFields();
    showLastPublication();
}

void PublishPage::showLastPublication()
{
    const FtpSettings &ftp = m_context.document.ftp;
    const QDateTime when = QDateTime::fromString(ftp.lastpublished, Qt::ISODate);
    if (!when.isValid()) {
        m_lastPublishedLabel->clear();
        return;
    }
    QString text =
            m_context.startup.language.textTable.valueOr(u"lastpublishedinfo"_s, u"Last published on %1 to %2."_s)
                    .arg(QLocale::system().toString(when.toLocalTime(), QLocale::ShortFormat),
                         printable(ftp.lastpublishedserver));
    if (!ftp.lastpublishedaddress.isEmpty())
        text += u' '
                + m_context.startup.language.textTable.valueOr(u"publishedat"_s, u"Readers find the feed at %1"_s)
                          .arg(printable(ftp.lastpublishedaddress));
    m_lastPublishedLabel->setText(text);
}

void PublishPage::setFeedFile(const QString &path)
{
    m_boxes->setBoxText(m_feedFileEdit, path);
}

void PublishPage::refreshFileDate()
{
    if (m_context.document.ftp.ftpfile.isEmpty() || !m_context.startup.language.textTable.contains(u"lastmodified"_s))
        return;
    // A relative name counts from the project's folder, as everywhere the feed file is used.
    const FeedDocument &document = m_context.document;
    const QString file = document.projectPath.isEmpty() ? document.ftp.ftpfile
                                                        : FeedCopyPath(document.ftp.ftpfile, document.projectPath);
    if (const auto caption = LastModifiedCaption(m_context.text(u"lastmodified"_s), file, SystemLocale::locale()))
        m_fileDateLabel->setText(*caption);
}

void PublishPage::clearFileDate()
{
    m_fileDateLabel->clear();
}

void PublishPage::alignLabels()
{
    int width = 150; // the narrowest the label column gets
    for (QLabel *label : std::as_const(m_labels))
        width = std::max(width, label->sizeHint().width());
    for (QLabel *label : std::as_const(m_labels))
        label->setMinimumWidth(width);
}

} // namespace Feedsmith
