// The user's regional settings.
#include "core/system/systemlocale.h"

#include <optional>

namespace Feedsmith::SystemLocale {

namespace {
std::optional<QLocale> &overridden()
{
    static std::optional<QLocale> l;
    return l;
}
} // namespace

QLocale locale()
{
    if (overridden())
        return *overridden();
    return QLocale::system();
}

void setLocale(const QLocale &l)
{
    overridden() = l;
}

void resetLocale()
{
    overridden().reset();
}

QString languageCode(const QString &name)
{
    return name.left(2).toLower();
}

QString localeName()
{
    if (overridden())
        return overridden()->name();
    // The messages locale decides the language, as it does for every program on the desktop.
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return QLocale::system().name();
}

} // namespace Feedsmith::SystemLocale
