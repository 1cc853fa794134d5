// Keeping secrets out of core files.
#include "core/system/processguard.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace Feedsmith {

bool protectFromCoreDumps()
{
    const bool undumpable = ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
    const rlimit none{0, 0};
    const bool noCore = ::setrlimit(RLIMIT_CORE, &none) == 0;
    return undumpable || noCore;
}

bool protectedFromCoreDumps()
{
    return ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0;
}

} // namespace Feedsmith
