// The settings page: the channel's fields beside their help.
#include "window/pages/settingspage.h"

#include "window/pages/artworkcheck.h"
#include "window/pages/captions.h"
#include "window/pages/fieldboxes.h"
#include "window/shell/fieldhelp.h"
#include "window/platform/dialogs.h"
#include "window/shell/htmlpane.h"

#include "core/document/media.h"
#include "core/output/podcast.h"
#include "core/text/printable.h"

#include <feedsmith/version.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStringListModel>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

// The width of a short box (language, number): room for a sample of the box's font.
int shortBoxWidth(const QWidget *box, const QString &sample)
{
    return std::max(65, box->fontMetrics().horizontalAdvance(sample) + 16);
}

// Offers the names of a list as the box is typed into, and all of them from the box's arrow, whose
// command is `arrowName`.
void completeFrom(QLineEdit *box, QStringListModel *names, const QString &arrowName)
{
    auto *completer = new QCompleter(names, box);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    box->setCompleter(completer);
    QAction *all = box->addAction(QIcon::fromTheme(u"go-down"_s, box->style()->standardIcon(QStyle::SP_ArrowDown)),
                                  QLineEdit::TrailingPosition);
    all->setText(arrowName);
    all->setToolTip(arrowName);
    QObject::connect(all, &QAction::triggered, box, [box, completer] {
        box->setFocus(Qt::OtherFocusReason);
        completer->setCompletionPrefix(QString());
        completer->complete();
    });
}

} // namespace

SettingsPage::SettingsPage(const PageContext &context, QWidget *parent)
    : QWidget(parent)
    , m_document(context.document)
{
    context.captions.addPage(this, u"freSettings"_s);
    auto *pageLayout = new QHBoxLayout(this);
    // The fields scroll when they are more than the page holds, as a podcast's are.
    auto *leftArea = new QScrollArea(this);
    leftArea->setFrameShape(QFrame::NoFrame);
    leftArea->setWidgetResizable(true);
    leftArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *leftPage = new QWidget(leftArea);
    auto *left = new QVBoxLayout(leftPage);
    left->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(leftArea, 65);

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
    const KeyedTexts &texts = context.startup.language.textTable;
    auto addOption = [&](QLatin1StringView key, const QString &fallback, QWidget *parent) {
        const DocumentField *field = documentField(key);
        auto *box = new QCheckBox(texts.valueOr(key + "option"_L1, fallback), parent);
        box->setObjectName(field->boxName);
        box->setToolTip(context.text(QString(key) + u"optiontip"_s));
        connect(box, &QCheckBox::clicked, this, [context, field](bool on) {
            field->value(context.document) = on ? u"1"_s : QString();
            context.markChanged();
        });
        m_options.append({field, box});
        return box;
    };
    auto *options = new QGridLayout;
    options->setContentsMargins(10, 6, 10, 0);
    options->addWidget(addOption("itemids"_L1, u"Give entries dates and IDs"_s, this), 0, 0);
    options->addWidget(addOption("keepaccents"_L1, u"Keep accented letters exactly"_s, this), 1, 0);
    QCheckBox *podcastBox = addOption("podcast"_L1, u"This feed is a podcast"_s, this);
    options->addWidget(podcastBox, 0, 1);
    left->addLayout(options);

    // The podcast's own fields, there only for a podcast.
    QGroupBox *podcastFrame = context.captions.frame(u"Frame4"_s, u"podcast"_s, this);
    auto *podcastGrid = new QGridLayout(podcastFrame);
    podcastGrid->setColumnStretch(1, 1);
    const qsizetype firstPodcastEdit = m_fieldEdits.size();
    addRows(podcastFrame, podcastGrid,
            {"podcastauthor"_L1, "podcastowner"_L1, "podcastemail"_L1, "podcastimage"_L1, "podcastcategory"_L1,
             "podcastsubcategory"_L1});
    for (qsizetype i = firstPodcastEdit; i < m_fieldEdits.size(); ++i)
        m_podcastChain.append(m_fieldEdits.at(i));
    QCheckBox *explicitBox = addOption("podcastexplicit"_L1, u"Explicit content"_s, podcastFrame);
    podcastGrid->addWidget(explicitBox, podcastGrid->rowCount(), 1);
    const DocumentField *typeField = documentField("podcasttype"_L1);
    QLabel *typeLabel = context.captions.label(typeField->labelName, typeField->key, podcastFrame);
    m_labels.append(typeLabel);
    m_typeBox = new QComboBox(podcastFrame);
    m_typeBox->setObjectName(typeField->boxName);
    m_typeBox->addItem(texts.valueOr(u"podcastepisodic"_s, u"Episodic: newest episode first"_s), u"episodic"_s);
    m_typeBox->addItem(texts.valueOr(u"podcastserial"_s, u"Serial: oldest episode first"_s), u"serial"_s);
    typeLabel->setBuddy(m_typeBox);
    connect(m_typeBox, &QComboBox::activated, this, [this, context, typeField](int index) {
        typeField->value(context.document) = m_typeBox->itemData(index).toString();
        context.markChanged();
    });
    const int typeRow = podcastGrid->rowCount();
    podcastGrid->addWidget(typeLabel, typeRow, 0);
    podcastGrid->addWidget(m_typeBox, typeRow, 1, Qt::AlignLeft);
    m_podcastChain << explicitBox << m_typeBox;
    // The show's further categories, who funds and makes it, its move, its lasting ID and lock.
    const qsizetype furtherEdits = m_fieldEdits.size();
    addRows(podcastFrame, podcastGrid,
            {"podcastcategory2"_L1, "podcastsubcategory2"_L1, "podcastcategory3"_L1, "podcastsubcategory3"_L1,
             "podcastfunding"_L1, "podcastperson"_L1, "podcastnewfeedurl"_L1, "podcastguid"_L1, "podcastlockowner"_L1});
    for (qsizetype i = furtherEdits; i < m_fieldEdits.size(); ++i)
        m_podcastChain.append(m_fieldEdits.at(i));
    QList<QCheckBox *> frameOptions = {explicitBox};
    for (const auto &[key, fallback] : {std::pair{"podcastlocked"_L1, u"Locked against a move"_s},
                                        std::pair{"podcastcomplete"_L1, u"The show is complete"_s},
                                        std::pair{"podcastblock"_L1, u"Keep the show out of directories"_s}}) {
        QCheckBox *box = addOption(key, fallback, podcastFrame);
        podcastGrid->addWidget(box, podcastGrid->rowCount(), 1);
        frameOptions.append(box);
        m_podcastChain.append(box);
    }

    podcastFrame->setVisible(false);
    left->addWidget(podcastFrame);
    left->addStretch(1);
    leftArea->setWidget(leftPage);
    connect(podcastBox, &QCheckBox::toggled, podcastFrame, &QWidget::setVisible);
    // Turned on by the user, the fields scroll into view once the page has made room for them.
    connect(podcastBox, &QCheckBox::clicked, leftArea, [leftArea, podcastFrame](bool on) {
        if (on)
            QMetaObject::invokeMethod(
                    leftArea, [leftArea, podcastFrame] { leftArea->ensureWidgetVisible(podcastFrame); },
                    Qt::QueuedConnection);
    });

    QGroupBox *helpFrame = context.captions.frame(u"frehelp"_s, u"help"_s, this);
    m_helpPane = HtmlPane::addHelpPane(helpFrame, u"HelpBrowser"_s, context.startup.programFolder);
    context.captions.nameAfter(m_helpPane, helpFrame);
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
    for (QCheckBox *box : std::as_const(frameOptions))
        box->setFont(regular);
    m_typeBox->setFont(regular);
    m_helpPane->setFont(regular);

    auto boxOf = [&](QLatin1StringView key) { return m_fieldEdits.at(fields.indexOf(documentField(key))); };
    m_titleEdit = boxOf("title"_L1);
    m_ttlEdit = boxOf("ttl"_L1);
    m_numberEdit = boxOf("number"_L1);
    m_numberEdit->setFixedWidth(shortBoxWidth(m_numberEdit, u"000000"_s));
    QLineEdit *languageEdit = boxOf("language"_L1);
    languageEdit->setFixedWidth(shortBoxWidth(languageEdit, u"zh-hant-tw"_s));
    connect(languageEdit, &QLineEdit::textChanged, this, &SettingsPage::languageChanged);
    const QString arrowName = texts.valueOr(u"choosefromlist"_s, u"Choose from the list"_s);
    for (const auto &[category, subcategory] : {std::pair{"podcastcategory"_L1, "podcastsubcategory"_L1},
                                                std::pair{"podcastcategory2"_L1, "podcastsubcategory2"_L1},
                                                std::pair{"podcastcategory3"_L1, "podcastsubcategory3"_L1}}) {
        QLineEdit *categoryEdit = boxOf(category);
        QLineEdit *subcategoryEdit = boxOf(subcategory);
        completeFrom(categoryEdit, new QStringListModel(PodcastCategories(), categoryEdit), arrowName);
        auto *subcategories = new QStringListModel(subcategoryEdit);
        completeFrom(subcategoryEdit, subcategories, arrowName);
        connect(categoryEdit, &QLineEdit::textChanged, subcategories, [subcategories](const QString &text) {
            subcategories->setStringList(PodcastSubcategories(text.trimmed()));
        });
    }

    auto *help = new FieldHelp(context.startup.programFolder, context.startup.language.helpTable, this);
    m_boxes = new FieldBoxes(context.document, *help, this);
    for (qsizetype i = 0; i < fields.size(); ++i)
        m_boxes->bind(*fields.at(i), m_fieldEdits.at(i), m_helpPane);
    connect(m_boxes, &FieldBoxes::edited, this, [context] { context.markChanged(); });

    // The image and the artwork may be pictures of this computer: a button beside each copies
    // one into the media folder, and the feed names it by its public address.
    for (const QLatin1StringView key : {"imageurl"_L1, "podcastimage"_L1}) {
        QLineEdit *box = boxOf(key);
        auto *grid = qobject_cast<QGridLayout *>(box->parentWidget()->layout());
        int row = 0;
        int column = 0;
        int rowSpan = 0;
        int columnSpan = 0;
        grid->getItemPosition(grid->indexOf(box), &row, &column, &rowSpan, &columnSpan);
        auto *choose = new QPushButton(texts.valueOr(u"choosepicture"_s, u"Choose…"_s), box->parentWidget());
        choose->setObjectName(QString(key) + u"Choose"_s);
        choose->setAccessibleName(texts.valueOr(u"choosepicturename"_s, u"Choose a picture of this computer"_s));
        grid->addWidget(choose, row, column + 1);
        const DocumentField *field = documentField(key);
        connect(choose, &QPushButton::clicked, this,
                [this, context, box, field] { chooseLocalPicture(context, box, field); });
        if (m_podcastChain.contains(box))
            m_podcastChain.insert(m_podcastChain.indexOf(box) + 1, choose);
        else
            m_pictureButtons.append({box, choose});
    }
}

void SettingsPage::chooseLocalPicture(const PageContext &context, QLineEdit *box, const DocumentField *field)
{
    const KeyedTexts &texts = context.startup.language.textTable;
    const QString title = QString::fromLatin1(Version::ProductName);
    const QString projectPath = context.document.projectPath;
    const QString chosen = context.askForFileToTake(
            u"*.png *.jpg *.jpeg *.gif *.webp | *.png *.jpg *.jpeg *.gif *.webp"_s,
            texts.valueOr(u"picturesneedsave"_s,
                          u"Save the project first: its pictures are kept in a folder named media beside it."_s));
    if (chosen.isEmpty())
        return;
    QString error;
    const std::optional<QString> stored = StoreMediaFile(chosen, projectPath, &error);
    if (!stored) {
        context.messageBoxes.warning(context.window, title,
                                     texts.valueOr(u"picturefailed"_s, u"The picture cannot be inserted."_s)
                                             + u"\n\n"_s + printable(error));
        return;
    }
    field->value(context.document) = *stored;
    m_boxes->setBoxText(box, *stored);
    context.markChanged();
    // The artwork is taken whatever it is; what directories would refuse in it is said.
    if (field->key == "podcastimage"_L1) {
        if (const QStringList problems = ArtworkProblems(chosen, texts); !problems.isEmpty())
            context.messageBoxes.warning(context.window, title,
                                         texts.valueOr(u"artworktaken"_s,
                                                       u"The picture is the artwork now, but "
                                                       "podcast directories may refuse it:"_s)
                                                 + u"\n\n"_s + problems.join(u'\n'));
    }
}

QList<QWidget *> SettingsPage::tabChain() const
{
    // The podcast's fields follow the option that shows them; a picture's button its box.
    QList<QWidget *> chain;
    for (QLineEdit *box : m_fieldEdits) {
        if (m_podcastChain.contains(box))
            continue;
        chain.append(box);
        for (const auto &[pictureBox, button] : m_pictureButtons) {
            if (pictureBox == box)
                chain.append(button);
        }
    }
    for (const auto &[field, box] : m_options) {
        if (!m_podcastChain.contains(box))
            chain.append(box);
    }
    return chain + m_podcastChain;
}

void SettingsPage::showDocumentFields()
{
    m_boxes->showFields();
    for (const auto &[field, box] : std::as_const(m_options))
        box->setChecked(field->isOn(m_document));
    // A type the box does not offer shows as episodic, which is what directories read it as.
    m_typeBox->setCurrentIndex(std::max(0, m_typeBox->findData(PodcastType(m_document.channel.podcasttype))));
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
