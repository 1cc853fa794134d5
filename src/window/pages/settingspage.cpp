// The settings page: the channel's fields beside their help.
#include "window/pages/settingspage.h"

#include "window/pages/captions.h"
#include "window/pages/fieldboxes.h"
#include "window/shell/fieldhelp.h"
#include "window/shell/htmlpane.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// The width of a short box (language, number): room for a sample of the box's font.
int shortBoxWidth(const QWidget *box, const QString &sample)
{
    return std::max(65, box->fontMetrics().horizontalAdvance(sample) + 16);
}

} // namespace

SettingsPage::SettingsPage(const PageContext &context, QWidget *parent)
    : QWidget(parent)
    , m_document(context.document)
{
    context.captions.addPage(this, u"freSettings"_s);
    auto *pageLayout = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    pageLayout->addLayout(left, 65);

    // Rows of label and box inside a frame (or on the page itself), one for each field key.
    QList<const DocumentField *> fields;
    auto addRows = [&](QWidget *container, QGridLayout *grid, std::initializer_list<QLatin1StringView> keys) {
        for (const QLatin1StringView key : keys) {
            const DocumentField *field = documentField(key);
            QLabel *label = context.captions.label(field->labelName, field->key, container);
            QFont bold = label->font();
            bold.setBold(true);
            label->setFont(bold);
            m_labels.append(label);
            auto *box = new QLineEdit(container);
            box->setObjectName(field->boxName);
            label->setBuddy(box);
            fields.append(field);
            m_fieldEdits.append(box);
            const int row = grid->rowCount();
            grid->addWidget(label, row, 0);
            grid->addWidget(box, row, 1);
        }
    };
    auto addGroup = [&](const QString &name, const QString &caption, std::initializer_list<QLatin1StringView> keys) {
        QGroupBox *frame = context.captions.frame(name, caption, this);
        auto *grid = new QGridLayout(frame);
        grid->setColumnStretch(1, 1);
        addRows(frame, grid, keys);
        left->addWidget(frame);
    };

    addGroup(u"Frame1"_s, u"basic"_s, {"title"_L1, "link"_L1, "description"_L1});
    addGroup(u"Frame2"_s, u"image"_s, {"imageurl"_L1, "imagelink"_L1, "imagetitle"_L1});
    addGroup(u"Frame3"_s, u"additional"_s, {"language"_L1, "category"_L1, "ttl"_L1});

    auto *loose = new QGridLayout;
    loose->setContentsMargins(10, 6, 10, 0);
    loose->setColumnStretch(1, 1);
    addRows(this, loose, {"number"_L1, "managingeditor"_L1, "webmaster"_L1});
    left->addLayout(loose);

    // The options of the RSS file, captioned from the text table (English when it lacks them).
    auto *options = new QVBoxLayout;
    options->setContentsMargins(10, 6, 10, 0);
    const std::pair<QLatin1StringView, QString> optionTexts[] = {
            {"itemids"_L1, u"Give entries dates and IDs"_s},
            {"keepaccents"_L1, u"Keep accented letters exactly"_s},
    };
    for (const auto &[key, fallback] : optionTexts) {
        const DocumentField *field = documentField(key);
        auto *box = new QCheckBox(context.startup.language.textTable.valueOr(key + "option"_L1, fallback), this);
        box->setObjectName(field->boxName);
        box->setToolTip(context.text(QString(key) + u"optiontip"_s));
        connect(box, &QCheckBox::clicked, this, [context, field](bool on) {
            field->value(context.document) = on ? u"1"_s : QString();
            context.markChanged();
        });
        m_options.append({field, box});
        options->addWidget(box);
    }
    left->addLayout(options);
    left->addStretch(1);

    QGroupBox *helpFrame = context.captions.frame(u"frehelp"_s, u"help"_s, this);
    m_helpPane = HtmlPane::addHelpPane(helpFrame, u"HelpBrowser"_s, context.startup.programFolder);
    pageLayout->addWidget(helpFrame, 35);

    // Frames and their labels in bold, the boxes in the window's own font.
    for (QGroupBox *frame : findChildren<QGroupBox *>()) {
        QFont bold = frame->font();
        bold.setBold(true);
        frame->setFont(bold);
    }
    QFont regular = font();
    regular.setBold(false);
    for (QLineEdit *box : std::as_const(m_fieldEdits))
        box->setFont(regular);
    m_helpPane->setFont(regular);

    auto boxOf = [&](QLatin1StringView key) { return m_fieldEdits.at(fields.indexOf(documentField(key))); };
    m_titleEdit = boxOf("title"_L1);
    m_ttlEdit = boxOf("ttl"_L1);
    m_numberEdit = boxOf("number"_L1);
    m_numberEdit->setFixedWidth(shortBoxWidth(m_numberEdit, u"000000"_s));
    QLineEdit *languageEdit = boxOf("language"_L1);
    languageEdit->setFixedWidth(shortBoxWidth(languageEdit, u"zh-hant-tw"_s));

    auto *help = new FieldHelp(context.startup.programFolder, context.startup.language.helpTable, this);
    m_boxes = new FieldBoxes(context.document, *help, this);
    for (qsizetype i = 0; i < fields.size(); ++i)
        m_boxes->bind(*fields.at(i), m_fieldEdits.at(i), m_helpPane);
    connect(m_boxes, &FieldBoxes::edited, this, [context] { context.markChanged(); });
}

QList<QWidget *> SettingsPage::tabChain() const
{
    QList<QWidget *> chain(m_fieldEdits.cbegin(), m_fieldEdits.cend());
    for (const auto &[field, box] : m_options)
        chain.append(box);
    return chain;
}

void SettingsPage::showDocumentFields()
{
    m_boxes->showFields();
    for (const auto &[field, box] : std::as_const(m_options))
        box->setChecked(field->isOn(m_document));
}

void SettingsPage::startNewDocument()
{
    m_titleEdit->setFocus(Qt::OtherFocusReason);
    m_boxes->setBoxText(m_ttlEdit, u"1440"_s);
    m_boxes->setBoxText(m_numberEdit, u"10"_s);
}

void SettingsPage::clearHelp()
{
    m_helpPane->setDocumentHtml(QString());
}

void SettingsPage::focusTitleIfShown()
{
    if (m_titleEdit->isVisible() && m_titleEdit->isEnabled())
        m_titleEdit->setFocus(Qt::ActiveWindowFocusReason);
}

void SettingsPage::alignLabels()
{
    int width = 150; // the narrowest the label column gets
    for (QLabel *label : std::as_const(m_labels))
        width = std::max(width, label->sizeHint().width());
    for (QLabel *label : std::as_const(m_labels))
        label->setMinimumWidth(width);
}

} // namespace Feedsmith
