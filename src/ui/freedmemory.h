#pragma once

// Hands memory the process has freed back to the system. The C library
// keeps freed heap pages for reuse, so after a large structure goes (a long
// run's console text) the process would otherwise stay at its peak size.
namespace FreedMemory {

void giveBack();

} // namespace FreedMemory
