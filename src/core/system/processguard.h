// Keeping secrets of the running process out of core files.
#pragma once

namespace Feedsmith {

// Makes the process not dumpable and its core file limit zero, so that a crash (or a signal
// that dumps core) cannot write the FTP password held in memory to disk. Called before a
// password is read or typed; it is not undone, since copies of the password may linger in
// freed memory. True when at least one of the two took effect.
bool protectFromCoreDumps();

// Whether protectFromCoreDumps() is in effect: the process is not dumpable.
bool protectedFromCoreDumps();

} // namespace Feedsmith
