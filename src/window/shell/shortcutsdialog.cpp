// The list of keyboard shortcuts.
#include "window/shell/shortcutsdialog.h"

#include "core/locale/keyedtexts.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QVBoxLayout>

namespace Feedsmith {

using namespace Qt::StringLiterals;

ShortcutsDialog::ShortcutsDialog(QWidget *window, const KeyedTexts &texts)
    : QDialog(window)
    , m_table(new QTableWidget(this))
{
    setObjectName(u"shortcutsDialog"_s);
    setWindowTitle(texts.valueOr(u"shortcutstitle"_s, u"Keyboard shortcuts"_s));
    QList<std::pair<QString, QString>> rows;
    QSet<QString> seen;
    for (const QAction *action : window->findChildren<QAction *>()) {
        if (action->shortcuts().isEmpty() || action->text().isEmpty())
            continue;
        QString name = action->text();
        name.remove(u'&');
        QStringList keys;
        for (const QKeySequence &key : action->shortcuts())
            keys.append(key.toString(QKeySequence::NativeText));
        const QString row = name + u'\t' + keys.join(u", "_s);
        if (seen.contains(row))
            continue;
        seen.insert(row);
        rows.append({name, keys.join(u", "_s)});
    }
    rows.append({texts.valueOr(u"shortcutleavebody"_s, u"Leave the text (in a list item: indent, outdent)"_s),
                 u"Tab, Shift+Tab"_s});
    rows.append({texts.valueOr(u"shortcutclearfilter"_s, u"Show every entry again (in the filter)"_s), u"Esc"_s});
    m_table->setColumnCount(2);
    m_table->setRowCount(int(rows.size()));
    m_table->setHorizontalHeaderLabels(
            {texts.valueOr(u"shortcutcommand"_s, u"Command"_s), texts.valueOr(u"shortcutkeys"_s, u"Keys"_s)});
    for (int r = 0; r < rows.size(); ++r) {
        m_table->setItem(r, 0, new QTableWidgetItem(rows.at(r).first));
        m_table->setItem(r, 1, new QTableWidgetItem(rows.at(r).second));
    }
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAccessibleName(windowTitle());
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_table->setMinimumSize(460, 360);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(texts.valueOr(u"closebutton"_s, u"Close"_s));
    buttons->button(QDialogButtonBox::Close)->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
}

} // namespace Feedsmith
