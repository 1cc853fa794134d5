// File dialog and message boxes.
#include "window/platform/dialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// The patterns of a filter such as "*.rsx | *.rsx": every second piece.
QStringList patterns(const QString &filter)
{
    const QStringList pieces = filter.split(u'|');
    QStringList result;
    for (qsizetype i = 1; i < pieces.size(); i += 2)
        result.append(pieces.at(i).trimmed());
    if (result.isEmpty() && !pieces.isEmpty())
        result.append(pieces.first().trimmed());
    return result;
}

} // namespace

QString FileDialog::qtNameFilter(const QString &filter)
{
    const QStringList pieces = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2)
        filters.append(pieces.at(i).trimmed() + " ("_L1 + pieces.at(i + 1).trimmed() + u')');
    if (filters.isEmpty())
        filters.append(filter.trimmed());
    return filters.join(";;"_L1);
}

QString FileDialog::defaultExtension(const QString &filter)
{
    const QStringList found = patterns(filter);
    if (found.isEmpty())
        return {};
    const QString pattern = found.first();
    const qsizetype dot = pattern.lastIndexOf(u'.');
    if (dot < 0)
        return {};
    const QString extension = pattern.mid(dot + 1);
    if (extension.contains(u'*') || extension.contains(u'?'))
        return {};
    return extension;
}

QString FileDialog::completedName(const QString &name, const QString &filter)
{
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    const QString extension = defaultExtension(filter);
    return extension.isEmpty() ? name : name + u'.' + extension;
}

QString FileDialog::startPath() const
{
    const QString folder = m_lastFolders.value(m_filter, m_startFolder).toString();
    if (m_fileName.isEmpty())
        return folder;
    if (QDir::isAbsolutePath(m_fileName) || folder.isEmpty())
        return m_fileName;
    return QDir(folder).filePath(m_fileName);
}

QString FileDialog::show(Mode mode, QWidget *parent)
{
    QString chosen = ask(mode, parent);
    if (mode == Mode::Save)
        chosen = completedName(chosen, m_filter);
    m_fileName = chosen;
    if (!chosen.isEmpty())
        m_lastFolders.insert(m_filter, QFileInfo(chosen).absolutePath());
    return chosen;
}

QString FileDialog::showOpen(QWidget *parent)
{
    return show(Mode::Open, parent);
}

QString FileDialog::showSave(QWidget *parent)
{
    return show(Mode::Save, parent);
}

QString QtFileDialog::ask(Mode mode, QWidget *parent)
{
    QFileDialog dialog(parent, QString(), startPath(), qtNameFilter(filter()));
    if (mode == Mode::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The commands replace a file of the chosen name without asking.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setDefaultSuffix(defaultExtension(filter()));
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

namespace {

// A message box whose texts show as typed: no markup, no pictures, no links.
class PlainMessageBox : public QMessageBox
{
public:
    PlainMessageBox(Icon icon, const QString &title, const QString &text, StandardButtons buttons, QWidget *parent)
        : QMessageBox(icon, title, QString(text).replace(u"\r\n"_s, u"\n"_s), buttons, parent)
    {
        setTextFormat(Qt::PlainText);
    }
};

} // namespace

QString PlainToolTip(const QString &text)
{
    return text.isEmpty() ? QString() : u"<p style=\"white-space:pre-wrap\">"_s + text.toHtmlEscaped() + u"</p>"_s;
}

bool IsWebAddress(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    return url.isValid() && (url.scheme() == "http"_L1 || url.scheme() == "https"_L1) && !url.host().isEmpty();
}

void QtMessageBoxes::information(QWidget *parent, const QString &title, const QString &text)
{
    PlainMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, parent).exec();
}

void QtMessageBoxes::warning(QWidget *parent, const QString &title, const QString &text)
{
    PlainMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, parent).exec();
}

bool QtMessageBoxes::askYesNo(QWidget *parent, const QString &title, const QString &text)
{
    PlainMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool QtMessageBoxes::askQuestion(QWidget *parent, const QString &title, const QString &text)
{
    PlainMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

MessageBoxes::SaveAnswer QtMessageBoxes::askSave(QWidget *parent, const QString &title, const QString &text,
                                                 const SaveButtons &buttons)
{
    PlainMessageBox box(QMessageBox::Question, title, text,
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    box.button(QMessageBox::Save)->setText(buttons.save);
    box.button(QMessageBox::Discard)->setText(buttons.discard);
    box.button(QMessageBox::Cancel)->setText(buttons.cancel);
    switch (box.exec()) {
    case QMessageBox::Save: return SaveAnswer::Save;
    case QMessageBox::Discard: return SaveAnswer::Discard;
    default: return SaveAnswer::Cancel;
    }
}

MessageBoxes::RestoreAnswer QtMessageBoxes::askRestore(QWidget *parent, const QString &title, const QString &text,
                                                       const QString &restoreText, const QString &discardText)
{
    PlainMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QPushButton *restore = box.addButton(restoreText, QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(discardText, QMessageBox::DestructiveRole);
    box.setDefaultButton(restore);
    box.exec();
    if (box.clickedButton() == restore)
        return RestoreAnswer::Restore;
    return box.clickedButton() == discard ? RestoreAnswer::Discard : RestoreAnswer::Later;
}

QString QtMessageBoxes::askText(QWidget *parent, const QString &title, const QString &label)
{
    return QInputDialog::getText(parent, title, label);
}

void QtMessageBoxes::plain(QWidget *parent, const QString &title, const QString &text)
{
    // Texts may end their lines with CR LF; a box shows a lone LF as the line break.
    PlainMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent).exec();
}

void QtMessageBoxes::critical(QWidget *parent, const QString &title, const QString &text)
{
    PlainMessageBox(QMessageBox::Critical, title, text, QMessageBox::Ok, parent).exec();
}

void QtMessageBoxes::criticalWithDetails(QWidget *parent, const QString &title, const QString &text,
                                         const QString &details)
{
    PlainMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.setDetailedText(details);
    box.exec();
}

void QtMessageBoxes::informationWithAddress(QWidget *parent, const QString &title, const QString &text,
                                            const QString &address, const QString &openText)
{
    PlainMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    QPushButton *open = IsWebAddress(address) ? box.addButton(openText, QMessageBox::ActionRole) : nullptr;
    box.exec();
    if (open && box.clickedButton() == open)
        QDesktopServices::openUrl(QUrl(address.trimmed(), QUrl::StrictMode));
}

} // namespace Feedsmith
