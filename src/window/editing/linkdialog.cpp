// The link dialog.
#include "window/editing/linkdialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace Feedsmith {

using namespace Qt::StringLiterals;

LinkDialog::LinkDialog(const KeyedTexts &texts, const RichTextEditor::Link &initial, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"frmLink"_s);
    setWindowTitle(texts.valueOr(u"linkdialogtitle"_s, u"Link"_s));
    auto *form = new QFormLayout(this);
    m_address = new QLineEdit(initial.url.isEmpty() ? u"https://"_s : initial.url, this);
    m_address->setObjectName(u"txtLinkAddress"_s);
    m_address->setMinimumWidth(fontMetrics().averageCharWidth() * 60);
    m_text = new QLineEdit(initial.text, this);
    m_text->setObjectName(u"txtLinkText"_s);
    m_newWindow = new QCheckBox(texts.valueOr(u"linknewwindow"_s, u"Open in a new window"_s), this);
    m_newWindow->setObjectName(u"chkLinkNewWindow"_s);
    m_newWindow->setChecked(initial.newWindow);
    form->addRow(texts.valueOr(u"linkaddress"_s, u"Address:"_s), m_address);
    form->addRow(texts.valueOr(u"linktext"_s, u"Text:"_s), m_text);
    form->addRow(QString(), m_newWindow);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    if (initial.exists) {
        QPushButton *remove =
                buttons->addButton(texts.valueOr(u"linkremove"_s, u"Remove link"_s), QDialogButtonBox::DestructiveRole);
        remove->setObjectName(u"cmdRemoveLink"_s);
        connect(remove, &QPushButton::clicked, this, [this] {
            m_remove = true;
            accept();
        });
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    m_address->setFocus();
    m_address->selectAll();
}

RichTextEditor::Link LinkDialog::link() const
{
    RichTextEditor::Link link;
    link.url = m_address->text().trimmed();
    link.text = m_text->text();
    link.newWindow = m_newWindow->isChecked();
    link.remove = m_remove;
    return link;
}

std::optional<RichTextEditor::Link> LinkDialog::ask(const KeyedTexts &texts, QWidget *parent,
                                                    const RichTextEditor::Link &initial)
{
    LinkDialog dialog(texts, initial, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.link();
}

} // namespace Feedsmith
