// Returning freed memory, where the C library lets us choose.
#include "core/system/memory.h"

#include <cstdlib> // defines __GLIBC__ with the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace Feedsmith {

void returnFreedMemory()
{
#if defined(__GLIBC__)
    // The library raises both thresholds on its own as large blocks are freed, and then keeps
    // tens of megabytes that a reading or writing of a large project freed. Fixed, blocks of a
    // megabyte and more (the batches of a file being written) are mapped and unmapped for
    // themselves, and more than 4 MB of free space at the top of the heap is given back; the
    // smaller pieces of a file being read are still reused from the heap, without a page fault.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 4 * 1024 * 1024);
#endif
}

} // namespace Feedsmith
