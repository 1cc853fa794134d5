// How the process hands memory back.
#pragma once

namespace Feedsmith {

// Has every large block (the batches of a file being written) go back to the system when it is
// freed, instead of staying with the process for reuse: a large project then peaks at the
// document and the pieces in flight, not at that plus everything freed before. Called before a
// large project is read; it holds for the rest of the process. Small projects are better served
// by the C library's own choice, which saves mapping blocks anew.
void returnFreedMemory();

} // namespace Feedsmith
