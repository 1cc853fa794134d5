// How the process hands memory back.
#pragma once

namespace Feedsmith {

// Has every large block (the pieces of a file being read or written, a batch of entries) go back
// to the system when it is freed, instead of staying with the process for reuse: a large project
// then peaks at the document and the pieces in flight, not at that plus everything freed before.
// Called first thing in main.
void returnFreedMemory();

} // namespace Feedsmith
