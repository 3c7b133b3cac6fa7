#include "platform/core/Memory.h"

// Any C library header defines __GLIBC__ on glibc; without one included
// first the test below would never hold.
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void ReleaseFreedMemory() {
#if defined(__GLIBC__)
  ::malloc_trim(0);
#endif
}

}  // namespace platform
