// The findings of the feed check, listed in a dialog: a finding opens the field or entry it
// concerns; before publishing, the dialog offers to publish anyway when there are only warnings.
#pragma once

#include "core/output/feedcheck.h"

#include <QDialog>

class QListWidget;
class QPushButton;

namespace Feedsmith {

class KeyedTexts;

class FeedCheckDialog : public QDialog
{
    Q_OBJECT

public:
    // `beforePublishing`: the check precedes a publication, which goes on by "Publish anyway".
    FeedCheckDialog(const QList<FeedFinding> &findings, bool beforePublishing, const KeyedTexts &texts,
                    QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }
    // Null unless the dialog may go on to publish.
    QPushButton *publishButton() const { return m_publishButton; }
    // Null unless a finding names a file outside the media folder that can be copied in.
    QPushButton *copyButton() const { return m_copyButton; }

signals:
    // A finding was chosen (double click or Enter): the window shows what it concerns.
    void findingActivated(const FeedFinding &finding);
    void publishAnyway();
    // "Copy into the media folder": the files that findings name outside it are to be copied in.
    void copyIntoMediaFolder();

private:
    QListWidget *m_list = nullptr;
    QPushButton *m_publishButton = nullptr;
    QPushButton *m_copyButton = nullptr;
    QList<FeedFinding> m_findings;
};

} // namespace Feedsmith
