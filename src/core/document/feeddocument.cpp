// The feed document.
#include "core/document/feeddocument.h"

namespace Feedsmith {

using namespace Qt::StringLiterals;

namespace {

constexpr DocumentField channelField(QLatin1StringView key, QLatin1StringView boxName, QString ChannelSettings::*member,
                                     int typingLimit = NoTypingLimit, QLatin1StringView labelName = {})
{
    return {key, labelName.isEmpty() ? key : labelName, boxName, typingLimit, member, nullptr};
}

constexpr DocumentField numberField(QLatin1StringView key, QLatin1StringView boxName, QString ChannelSettings::*member,
                                    int typingLimit, QLatin1StringView labelName = {})
{
    return {key, labelName.isEmpty() ? key : labelName, boxName, typingLimit, member, nullptr, false, true};
}

constexpr DocumentField listField(QLatin1StringView key, QLatin1StringView boxName, QString ChannelSettings::*member)
{
    return {key, key, boxName, NoTypingLimit, member, nullptr, false, false, true};
}

constexpr DocumentField optionField(QLatin1StringView key, QLatin1StringView boxName, QString ChannelSettings::*member)
{
    return {key, key, boxName, 1, member, nullptr, true};
}

} // namespace

const std::array<DocumentField, 46> DocumentFields = {{
        channelField("title"_L1, "txtTitle"_L1, &ChannelSettings::title),
        channelField("link"_L1, "txtLink"_L1, &ChannelSettings::link),
        channelField("description"_L1, "txtDescription"_L1, &ChannelSettings::description),
        numberField("number"_L1, "txtNumber"_L1, &ChannelSettings::number, 5, "Label1"_L1),
        channelField("language"_L1, "txtLanguage"_L1, &ChannelSettings::language, LanguageTagLimit),
        channelField("managingeditor"_L1, "txtManagingeditor"_L1, &ChannelSettings::managingeditor),
        channelField("webmaster"_L1, "txtWebmaster"_L1, &ChannelSettings::webmaster),
        listField("category"_L1, "txtCategory"_L1, &ChannelSettings::category),
        numberField("ttl"_L1, "txtTTL"_L1, &ChannelSettings::ttl, NoTypingLimit),
        channelField("imageurl"_L1, "txtImageurl"_L1, &ChannelSettings::imageurl),
        channelField("imagetitle"_L1, "txtimagetitle"_L1, &ChannelSettings::imagetitle),
        channelField("imagelink"_L1, "txtimagelink"_L1, &ChannelSettings::imagelink),
        optionField("itemids"_L1, "chkItemIds"_L1, &ChannelSettings::itemids),
        optionField("keepaccents"_L1, "chkKeepAccents"_L1, &ChannelSettings::keepaccents),
        optionField("podcast"_L1, "chkPodcast"_L1, &ChannelSettings::podcast),
        channelField("podcastauthor"_L1, "txtPodcastAuthor"_L1, &ChannelSettings::podcastauthor),
        channelField("podcastowner"_L1, "txtPodcastOwner"_L1, &ChannelSettings::podcastowner),
        channelField("podcastemail"_L1, "txtPodcastEmail"_L1, &ChannelSettings::podcastemail),
        channelField("podcastimage"_L1, "txtPodcastImage"_L1, &ChannelSettings::podcastimage),
        channelField("podcastcategory"_L1, "txtPodcastCategory"_L1, &ChannelSettings::podcastcategory),
        channelField("podcastsubcategory"_L1, "txtPodcastSubcategory"_L1, &ChannelSettings::podcastsubcategory),
        optionField("podcastexplicit"_L1, "chkPodcastExplicit"_L1, &ChannelSettings::podcastexplicit),
        channelField("podcasttype"_L1, "cboPodcastType"_L1, &ChannelSettings::podcasttype),
        channelField("podcastcategory2"_L1, "txtPodcastCategory2"_L1, &ChannelSettings::podcastcategory2),
        channelField("podcastsubcategory2"_L1, "txtPodcastSubcategory2"_L1, &ChannelSettings::podcastsubcategory2),
        channelField("podcastcategory3"_L1, "txtPodcastCategory3"_L1, &ChannelSettings::podcastcategory3),
        channelField("podcastsubcategory3"_L1, "txtPodcastSubcategory3"_L1, &ChannelSettings::podcastsubcategory3),
        optionField("podcastcomplete"_L1, "chkPodcastComplete"_L1, &ChannelSettings::podcastcomplete),
        optionField("podcastblock"_L1, "chkPodcastBlock"_L1, &ChannelSettings::podcastblock),
        channelField("podcastnewfeedurl"_L1, "txtPodcastNewFeedUrl"_L1, &ChannelSettings::podcastnewfeedurl),
        channelField("podcastguid"_L1, "txtPodcastGuid"_L1, &ChannelSettings::podcastguid),
        optionField("podcastlocked"_L1, "chkPodcastLocked"_L1, &ChannelSettings::podcastlocked),
        channelField("podcastlockowner"_L1, "txtPodcastLockOwner"_L1, &ChannelSettings::podcastlockowner),
        listField("podcastfunding"_L1, "txtPodcastFunding"_L1, &ChannelSettings::podcastfunding),
        listField("podcastperson"_L1, "txtPodcastPerson"_L1, &ChannelSettings::podcastperson),
        {"ftpfile"_L1, "ftpfile"_L1, "txtftpfile"_L1, NoTypingLimit, nullptr, &FtpSettings::ftpfile},
        {"ftpurl"_L1, "ftpurl"_L1, "txtftpurl"_L1, NoTypingLimit, nullptr, &FtpSettings::ftpurl},
        {"ftpdir"_L1, "ftpdir"_L1, "txtftpdir"_L1, NoTypingLimit, nullptr, &FtpSettings::ftpdir},
        {"ftpusername"_L1, "ftpusername"_L1, "txtftpusername"_L1, NoTypingLimit, nullptr, &FtpSettings::ftpusername},
        {"ftppassword"_L1, "ftppassword"_L1, "txtftppassword"_L1, NoTypingLimit, nullptr, &FtpSettings::ftppassword},
        {"ftpproxy"_L1, "Label3"_L1, "txtftpproxy"_L1, NoTypingLimit, nullptr, &FtpSettings::ftpproxy},
        {"feedurl"_L1, "feedurl"_L1, "txtfeedurl"_L1, NoTypingLimit, nullptr, &FtpSettings::feedurl},
        {"lastpublished"_L1, "lastpublished"_L1, {}, NoTypingLimit, nullptr, &FtpSettings::lastpublished},
        {"lastpublishedserver"_L1, "lastpublished"_L1, {}, NoTypingLimit, nullptr, &FtpSettings::lastpublishedserver},
        {"lastpublishedaddress"_L1, "lastpublished"_L1, {}, NoTypingLimit, nullptr, &FtpSettings::lastpublishedaddress},
        {"lastpublishedfiles"_L1, "lastpublished"_L1, {}, NoTypingLimit, nullptr, &FtpSettings::lastpublishedfiles},
}};

QString &DocumentField::value(FeedDocument &document) const
{
    return channel ? document.channel.*channel : document.ftp.*ftp;
}

const QString &DocumentField::value(const FeedDocument &document) const
{
    return channel ? document.channel.*channel : document.ftp.*ftp;
}

const DocumentField *documentField(QAnyStringView key)
{
    for (const DocumentField &field : DocumentFields) {
        if (QAnyStringView::equal(field.key, key))
            return &field;
    }
    return nullptr;
}

std::unique_ptr<FeedDocument> DocumentSnapshot(const FeedDocument &document)
{
    auto snapshot = std::make_unique<FeedDocument>();
    snapshot->channel = document.channel;
    snapshot->ftp = document.ftp;
    snapshot->entries = document.entries;
    snapshot->projectPath = document.projectPath;
    snapshot->rssPath = document.rssPath;
    snapshot->revision = document.revision;
    return snapshot;
}

void ClearDocument(FeedDocument &document)
{
    document.projectPath.clear();
    for (const DocumentField &field : DocumentFields)
        field.value(document).clear();
    document.tree.clear(); // and the entries
    document.currentEntryKey.clear();
    document.changed = false;
}

void NewDocument(FeedDocument &document)
{
    ClearDocument(document);
    document.channel.ttl = QStringLiteral("1440");
    document.channel.number = QStringLiteral("10");
}

void SetNewProjectOptions(ChannelSettings &channel)
{
    channel.keepaccents = u"1"_s;
}

void NewProject(FeedDocument &document)
{
    NewDocument(document);
    SetNewProjectOptions(document.channel);
}

} // namespace Feedsmith
