// The feed check's dialog.
#include "window/shell/feedcheckdialog.h"

#include "core/locale/keyedtexts.h"
#include "window/platform/dialogs.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace Feedsmith {

using namespace Qt::StringLiterals;

FeedCheckDialog::FeedCheckDialog(const QList<FeedFinding> &findings, bool beforePublishing, const KeyedTexts &texts,
                                 QWidget *parent)
    : QDialog(parent)
    , m_findings(findings)
{
    setObjectName(u"feedCheckDialog"_s);
    setWindowTitle(texts.valueOr(u"checktitle"_s, u"Feed check"_s));
    const bool errors = HasFeedErrors(findings);
    QString summary;
    if (beforePublishing && errors)
        summary = texts.valueOr(u"checkstopped"_s,
                                u"The feed is not published: it would be invalid. Correct the errors below; "
                                "double-click one to go to its field."_s);
    else if (beforePublishing)
        summary = texts.valueOr(u"checkwarnings"_s,
                                u"Readers may not show everything of the feed as you meant it. Publish it anyway, "
                                "or double-click a finding to go to its field."_s);
    else
        summary = texts.valueOr(u"checksummary"_s,
                                u"The check found what is listed below. Errors make the feed invalid and stop its "
                                "publication; warnings do not. Double-click a finding to go to its field."_s);
    auto *label = new QLabel(summary, this);
    label->setWordWrap(true);

    m_list = new QListWidget(this);
    m_list->setWordWrap(true);
    m_list->setAccessibleName(texts.valueOr(u"checkfindings"_s, u"Findings"_s));
    m_list->setAccessibleDescription(summary);
    m_list->setMinimumSize(560, 220);
    const QIcon errorIcon = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warningIcon = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const FeedFinding &finding : findings) {
        auto *item = new QListWidgetItem(finding.severity == FeedFinding::Severity::Error ? errorIcon : warningIcon,
                                         finding.text, m_list);
        item->setToolTip(PlainToolTip(finding.text));
    }
    connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        const int row = m_list->row(item);
        if (row < 0 || row >= m_findings.size())
            return;
        // Closed first, so that the window it leads to takes the focus.
        const FeedFinding finding = m_findings.at(row);
        reject();
        emit findingActivated(finding);
    });

    auto *buttons = new QDialogButtonBox(this);
    if (beforePublishing && !errors) {
        m_publishButton = buttons->addButton(texts.valueOr(u"publishanyway"_s, u"&Publish anyway"_s),
                                             QDialogButtonBox::AcceptRole);
        buttons->addButton(texts.valueOr(u"cancelbutton"_s, u"Cancel"_s), QDialogButtonBox::RejectRole);
        m_publishButton->setDefault(true);
        connect(buttons, &QDialogButtonBox::accepted, this, [this] {
            accept();
            emit publishAnyway();
        });
    } else {
        buttons->addButton(texts.valueOr(u"closebutton"_s, u"Close"_s), QDialogButtonBox::RejectRole)->setDefault(true);
    }
    // Files outside the media folder are never sent; the user may copy them in, and nothing else
    // does.
    if (std::any_of(findings.begin(), findings.end(),
                    [](const FeedFinding &f) { return f.fix == FeedFinding::Fix::CopyIntoMediaFolder; })) {
        m_copyButton = buttons->addButton(texts.valueOr(u"copyintomedia"_s, u"&Copy into the media folder"_s),
                                          QDialogButtonBox::ActionRole);
        m_copyButton->setObjectName(u"copyIntoMedia"_s);
        m_copyButton->setAutoDefault(false);
        connect(m_copyButton, &QPushButton::clicked, this, [this] {
            reject();
            emit copyIntoMediaFolder();
        });
    }
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);
    setAttribute(Qt::WA_DeleteOnClose);
}

} // namespace Feedsmith
