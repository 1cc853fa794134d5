// The feed document.
#include "core/document/feeddocument.h"

namespace Feedsmith {

using namespace Qt::StringLiterals;

const std::array<ChannelField, 12> ChannelFields = {{
    {"title"_L1, &ChannelSettings::title},
    {"link"_L1, &ChannelSettings::link},
    {"description"_L1, &ChannelSettings::description},
    {"number"_L1, &ChannelSettings::number},
    {"language"_L1, &ChannelSettings::language},
    {"managingeditor"_L1, &ChannelSettings::managingeditor},
    {"webmaster"_L1, &ChannelSettings::webmaster},
    {"category"_L1, &ChannelSettings::category},
    {"ttl"_L1, &ChannelSettings::ttl},
    {"imageurl"_L1, &ChannelSettings::imageurl},
    {"imagetitle"_L1, &ChannelSettings::imagetitle},
    {"imagelink"_L1, &ChannelSettings::imagelink},
}};

const std::array<FtpField, 5> StoredFtpFields = {{
    {"ftpfile"_L1, &FtpSettings::ftpfile},
    {"ftpurl"_L1, &FtpSettings::ftpurl},
    {"ftpdir"_L1, &FtpSettings::ftpdir},
    {"ftpusername"_L1, &FtpSettings::ftpusername},
    {"ftpproxy"_L1, &FtpSettings::ftpproxy},
}};

void ClearDocument(FeedDocument &document)
{
    document.projectPath.clear();
    for (const auto &field : ChannelFields)
        (document.channel.*field.member).clear();
    document.ftp = FtpSettings{};
    document.entries.clear();
    document.tree.clear();
    document.currentEntryKey.clear();
}

void NewDocument(FeedDocument &document)
{
    ClearDocument(document);
    document.channel.ttl = QStringLiteral("1440");
    document.channel.number = QStringLiteral("10");
}

QString EntryCaption(const RSSentry &entry, const QString &newEntryText)
{
    return entry.createdate.toString(u"dd.MM. HH:mm") + u' '
        + (entry.title.isEmpty() ? newEntryText : entry.title);
}

} // namespace Feedsmith
