#include "ui/freedmemory.h"

// Any C library header defines __GLIBC__ where glibc is the C library.
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

void FreedMemory::giveBack() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
