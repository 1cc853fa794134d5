// The Details area of the entry panel.
#include "window/editing/entrydetails.h"

#include "core/locale/keyedtexts.h"
#include "net/feedfetch.h"
#include "window/shell/fieldhelp.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QToolButton>

#include <algorithm>

namespace Feedsmith {

using namespace Qt::StringLiterals;

EntryDetails::EntryDetails(QToolButton *toggle, QScrollArea *area, const KeyedTexts &captions, const KeyedTexts &help,
                           const FeedDocument &document, ChooseFile chooseFile, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_chooseFile(std::move(chooseFile))
{
    m_toggle = toggle;
    toggle->setCheckable(true);
    toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toggle->setArrowType(Qt::RightArrow);
    toggle->setText(captions.valueOr(u"entrydetails"_s, u"Details"_s));
    toggle->setAutoRaise(true);
    area->setVisible(false);
    connect(toggle, &QToolButton::toggled, area, [toggle, area](bool open) {
        area->setVisible(open);
        toggle->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    });

    auto *fields = new QWidget(area);
    fields->setObjectName(u"detailsFields"_s);
    auto *form = new QFormLayout(fields);
    form->setContentsMargins(0, 0, 0, 0);
    // The boxes take the width they are given, as the title and link above them do.
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    static const QRegularExpression digits(u"\\d*"_s);
    for (const EntryField &field : EntryFields) {
        if (field.kind == EntryFieldKind::Hidden)
            continue;
        Row row{&field, new QLabel(captions.valueOr(field.textKey(), QString(field.key)), fields)};
        QWidget *box = nullptr;
        if (field.kind == EntryFieldKind::Option) {
            row.check = new QCheckBox(fields);
            connect(row.check, &QCheckBox::clicked, this, &EntryDetails::edited);
            box = row.check;
        } else {
            row.edit = new QLineEdit(fields);
            row.edit->setMaxLength(NoTypingLimit);
            if (field.kind == EntryFieldKind::Number)
                row.edit->setValidator(new QRegularExpressionValidator(digits, row.edit));
            // An ID stays as it was given, so that readers never see an entry twice.
            row.edit->setReadOnly(field.rss == RssPlace::Guid);
            connect(row.edit, &QLineEdit::textEdited, this, &EntryDetails::edited);
            box = row.edit;
        }
        box->setObjectName(u"txtEntry"_s + field.key);
        box->setToolTip(help.value(field.textKey()));
        box->setAccessibleDescription(FieldHelp::plainText(help.value(field.textKey())));
        static_cast<QLabel *>(row.label)->setBuddy(box);
        if (field.rss == RssPlace::Enclosure || field.mediaFile) {
            // A local file is taken into the media folder and uploaded with the entry; as the
            // enclosure, it fills in length and type.
            auto *line = new QHBoxLayout;
            line->addWidget(box, 1);
            row.choose = new QPushButton(captions.valueOr(u"entrychoosefile"_s, u"Choose file\u2026"_s), fields);
            if (field.rss == RssPlace::Enclosure) {
                row.choose->setObjectName(u"cmdChooseEnclosure"_s);
                connect(row.choose, &QPushButton::clicked, this, &EntryDetails::chooseEnclosure);
                connect(row.edit, &QLineEdit::editingFinished, this, &EntryDetails::probeEnclosure);
            } else {
                row.choose->setObjectName(u"cmdChoose"_s + field.key);
                // Several buttons say the same: each is named by its field.
                row.choose->setAccessibleName(static_cast<QLabel *>(row.label)->text() + u": "_s + row.choose->text());
                connect(row.choose, &QPushButton::clicked, this, [this, f = &field] { chooseMediaFile(*f); });
            }
            line->addWidget(row.choose);
            form->addRow(row.label, line);
        } else {
            form->addRow(row.label, box);
        }
        m_rows.push_back(row);
    }
    m_area = area;
    area->setWidget(fields);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // At the window's smallest, a few rows show; the rest scroll, each at its own height. The
    // Tab key brings the box it reaches into view.
    area->setMinimumHeight(3 * form->itemAt(0, QFormLayout::FieldRole)->sizeHint().height()
                           + 2 * form->verticalSpacing());
    fitArea();
}

void EntryDetails::fitArea()
{
    // Never higher than the rows shown: the room left goes to the editor below.
    QLayout *form = m_area->widget()->layout();
    form->invalidate();
    m_area->setMaximumHeight(std::max(m_area->minimumHeight(), form->sizeHint().height() + 2 * m_area->frameWidth()));
}

void EntryDetails::showEntry(const RSSentry &entry, bool podcast)
{
    m_shown = entry;
    m_podcast = podcast;
    for (const Row &row : m_rows) {
        const QString &value = row.field->value(entry);
        if (row.check) {
            row.check->setChecked(value == "1"_L1);
        } else {
            row.edit->setText(row.field->kind == EntryFieldKind::List ? TypedFromList(value) : value);
            row.edit->home(false);
        }
        row.label->setVisible(podcast || !row.field->podcastOnly);
        (row.check ? static_cast<QWidget *>(row.check) : row.edit)->setVisible(podcast || !row.field->podcastOnly);
        if (row.choose)
            row.choose->setVisible(podcast || !row.field->podcastOnly);
    }
    fitArea();
}

void EntryDetails::clear()
{
    showEntry(RSSentry(), false);
}

void EntryDetails::fillIn(RSSentry &entry) const
{
    for (const EntryField &field : EntryFields)
        field.value(entry) = field.value(m_shown);
    for (const Row &row : m_rows) {
        QString &value = row.field->value(entry);
        if (row.check)
            value = row.check->isChecked() ? u"1"_s : QString();
        else if (row.field->kind != EntryFieldKind::List)
            value = row.edit->text().trimmed();
        else if (row.edit->text() != TypedFromList(value)) // a list not typed into stays as it was
            value = ListFromTyped(row.edit->text());
    }
}

void EntryDetails::open()
{
    m_toggle->setChecked(true);
}

QWidget *EntryDetails::box(QLatin1StringView key) const
{
    for (const Row &row : m_rows) {
        if (row.field->key == key)
            return row.check ? static_cast<QWidget *>(row.check) : row.edit;
    }
    return nullptr;
}

EntryDetails::~EntryDetails()
{
    m_probeCancelled = true;
    if (m_probe.joinable())
        m_probe.join();
}

QLineEdit *EntryDetails::edit(QLatin1StringView key) const
{
    for (const Row &row : m_rows) {
        if (row.field->key == key)
            return row.edit;
    }
    return nullptr;
}

void EntryDetails::probeEnclosure()
{
    QLineEdit *url = edit("enclosure"_L1);
    QLineEdit *length = edit("enclosurelength"_L1);
    QLineEdit *type = edit("enclosuretype"_L1);
    if (!url || !length || !type || m_probe.joinable())
        return;
    const QString address = url->text().trimmed();
    if (!isFeedAddress(address) || (!length->text().isEmpty() && !type->text().isEmpty()))
        return;
    m_probe = std::thread([this, address] {
        qint64 size = -1;
        QString mime;
        QString error;
        const bool known = ProbeAddress(address, &size, &mime, &error, &m_probeCancelled);
        QMetaObject::invokeMethod(
                this,
                [this, address, known, size, mime] {
                    m_probe.join();
                    QLineEdit *url = edit("enclosure"_L1);
                    if (url->text().trimmed() != address) {
                        probeEnclosure(); // typed on meanwhile
                        return;
                    }
                    if (!known)
                        return; // the address may be right all the same: nothing to say
                    bool filled = false;
                    if (QLineEdit *length = edit("enclosurelength"_L1); length->text().isEmpty() && size >= 0) {
                        length->setText(QString::number(size));
                        filled = true;
                    }
                    if (QLineEdit *type = edit("enclosuretype"_L1); type->text().isEmpty() && !mime.isEmpty()) {
                        type->setText(mime);
                        filled = true;
                    }
                    if (filled)
                        emit edited();
                },
                Qt::QueuedConnection);
    });
}

void EntryDetails::chooseEnclosure()
{
    if (!m_chooseFile)
        return;
    m_chooseFile([guard = QPointer<EntryDetails>(this)](const QString &stored, const QString &path) {
        if (!guard)
            return;
        RSSentry chosen;
        guard->fillIn(chosen);
        TakeEnclosureFile(chosen, stored, path);
        guard->showEntry(chosen, guard->m_podcast);
        emit guard->edited();
    });
}

void EntryDetails::chooseMediaFile(const EntryField &field)
{
    if (!m_chooseFile)
        return;
    m_chooseFile([guard = QPointer<EntryDetails>(this), &field](const QString &stored, const QString &path) {
        if (!guard)
            return;
        RSSentry chosen;
        guard->fillIn(chosen);
        QString &value = field.value(chosen);
        // A word of a line holds no blank: the name's blanks (and percent signs) are escaped.
        const QString word = QString(stored).replace(u'%', "%25"_L1).replace(u' ', "%20"_L1);
        if (field.kind == EntryFieldKind::List) {
            QString type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name();
            if (type == "application/octet-stream"_L1)
                type.clear();
            value += (value.isEmpty() ? QString() : u"\n"_s) + WordLine({word, type});
        } else {
            value = field.rss == RssPlace::PodcastImage ? stored : word;
        }
        guard->showEntry(chosen, guard->m_podcast);
        emit guard->edited();
    });
}

} // namespace Feedsmith
