// The one feed project being edited.
#pragma once

#include "core/document/entrycollection.h"
#include "core/document/entrytreemodel.h"

#include <QAnyStringView>
#include <QString>

#include <array>
#include <memory>

namespace Feedsmith {

// The channel data of the feed. Every value is text, as typed.
struct ChannelSettings
{
    QString title;
    QString link;
    QString description;
    QString language;
    QString number = QStringLiteral("10"); // how many of the newest entries are published
    QString managingeditor;
    QString webmaster;
    QString category; // one a line, each the name or "name<TAB>domain"
    QString ttl = QStringLiteral("1440");
    QString imageurl;
    QString imagetitle;
    QString imagelink;
    // Options of the RSS file, "1" when on; a project without them has them off.
    QString itemids; // each item gets its creation date and an ID
    QString keepaccents; // letters outside ASCII are written as character references
    // A podcast: the feed declares the iTunes namespace and carries the fields below, and each
    // episode (an entry with an enclosure) its duration, numbers and explicit flag.
    QString podcast = {};
    QString podcastauthor = {};
    QString podcastowner = {}; // the owner's name
    QString podcastemail = {}; // the owner's e-mail address, where directories send their checks
    QString podcastimage = {}; // the address of the square artwork
    QString podcastcategory = {}; // a category of Apple Podcasts, and one of its subcategories
    QString podcastsubcategory = {};
    QString podcastexplicit = {}; // "1" when the show is marked explicit
    QString podcasttype = {}; // "episodic" (newest first) or "serial" (in order); empty reads as episodic
    QString podcastcategory2 = {}; // a second and a third category, each with a subcategory
    QString podcastsubcategory2 = {};
    QString podcastcategory3 = {};
    QString podcastsubcategory3 = {};
    QString podcastcomplete = {}; // "1" when no episode will follow
    QString podcastblock = {}; // "1" when directories are to leave the show out
    QString podcastnewfeedurl = {}; // where the show has moved to
    // The show's lasting ID: made once from the public address (PodcastGuid), then kept even
    // when the address changes.
    QString podcastguid = {};
    QString podcastlocked = {}; // "1" when no other host may import the show
    QString podcastlockowner = {}; // the e-mail address that may unlock it
    QString podcastfunding = {}; // one a line: "url text"
    QString podcastperson = {}; // one a line: "name<TAB>role<TAB>group<TAB>img<TAB>href"

    friend bool operator==(const ChannelSettings &, const ChannelSettings &) = default;
};

// Where and how the RSS file is published. The password is never stored anywhere.
struct FtpSettings
{
    QString ftpfile;
    QString ftpurl;
    QString ftpdir;
    QString ftpusername;
    QString ftppassword;
    QString ftpproxy;
    QString feedurl; // the address under which the uploaded feed is read
    // The last successful publication: when (UTC, ISO 8601), to which server, read where.
    QString lastpublished = {};
    QString lastpublishedserver = {};
    QString lastpublishedaddress = {};
    // What that publication uploaded beside the feed (see UploadRecord).
    QString lastpublishedfiles = {};

    friend bool operator==(const FtpSettings &, const FtpSettings &) = default;
};

// The channel and FTP fields, the entries with their tree, and the state of the editing session.
class FeedDocument
{
public:
    FeedDocument() = default;
    FeedDocument(const FeedDocument &) = delete;
    FeedDocument &operator=(const FeedDocument &) = delete;

    ChannelSettings channel;
    FtpSettings ftp;
    EntryCollection entries;
    EntryTreeModel tree{entries}; // the entries as the window's tree shows them

    QString currentEntryKey; // the node selected last: an entry key, "root", or empty
    QString projectPath; // the project file last opened or saved
    QString rssPath; // the RSS file last generated in this run
    // Something was typed, added, deleted or moved since the project was last opened or saved
    // (or since it was started empty). The window sets it; clearing the document resets it.
    bool changed = false;
    // Counts the changes marked since the document was made: a file written from a snapshot
    // leaves the document unchanged only when nothing was changed after the snapshot was taken.
    quint64 revision = 0;

    int entryCount() const { return entries.count(); }
};

// A copy of what the document's files are written from (the channel and FTP fields, the entries,
// the paths and the revision), for writing on another thread while the document goes on being
// edited. It is made at once whatever the number of entries: the entries are shared, not
// copied, until either side changes them (see EntryCollection).
std::unique_ptr<FeedDocument> DocumentSnapshot(const FeedDocument &document);

// QLineEdit's own default: no limit worth the name.
inline constexpr int NoTypingLimit = 32767;
// The longest language tag worth typing ("en-us", "pt-br", "zh-hant-tw" and longer ones).
inline constexpr int LanguageTagLimit = 35;

// One channel or FTP field: its key (its element in the project file, and its help text's key
// and caption key in the language file), where it lives in the document, the design names of its
// label and box in the window, and how many characters may be typed into it.
struct DocumentField
{
    QLatin1StringView key;
    QLatin1StringView labelName;
    QLatin1StringView boxName;
    int typingLimit;
    QString ChannelSettings::*channel = nullptr; // set for a channel field
    QString FtpSettings::*ftp = nullptr; // set for an FTP field
    bool isOption = false; // a check box: "1" when on, empty when off
    bool digitsOnly = false; // a whole number: nothing else can be typed
    bool isList = false; // items one a line, each an element of its own in the project file

    bool isChannelField() const { return channel != nullptr; }
    bool isOn(const FeedDocument &document) const { return value(document) == QLatin1StringView("1"); }
    // The project file holds every field but the password.
    bool isStored() const { return key != QLatin1StringView("ftppassword"); }
    QString &value(FeedDocument &document) const;
    const QString &value(const FeedDocument &document) const;
};

// Every channel field in the order of the project file, then every FTP field in the order of
// the FTP page (the file lists them in the same order, without the password). Fields added later
// come last in their group, and are written only when they hold something, so that a project
// that does not use them is written as before.
extern const std::array<DocumentField, 46> DocumentFields;

// The field of a key; null for none.
const DocumentField *documentField(QAnyStringView key);

// Empties the document: every field, all entries and tree nodes, the project path and the
// current entry key. The editing surfaces clear their own parts.
void ClearDocument(FeedDocument &document);

// ClearDocument, then the defaults of a new document: number "10" and ttl "1440". Reading a
// project starts from this, so that what the file lacks stays at these defaults.
void NewDocument(FeedDocument &document);

// A project the user starts (File > New, the first start, an import): NewDocument, and accented
// letters kept exactly. A project file without that option keeps transliterating them.
void NewProject(FeedDocument &document);
void SetNewProjectOptions(ChannelSettings &channel);

} // namespace Feedsmith
