#include "host/posix/posix_system_memory.h"

#include <cstdlib>  // (defines __GLIBC__ with glibc)

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tessvik {

void PosixSystemMemory::returnFreedMemory() {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

}  // namespace tessvik
