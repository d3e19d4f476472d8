// The system's allocator: glibc's keeps freed memory in its arenas unless it
// is asked to trim them.
#pragma once

#include "host/system_memory.h"

namespace tessvik {

// With glibc (Linux), malloc_trim(0): every arena's free pages go back to
// the system, not only those at the top of the heap. Elsewhere nothing: the
// allocator returns freed memory by itself. Stateless.
class PosixSystemMemory final : public SystemMemory {
 public:
  void returnFreedMemory() override;
};

}  // namespace tessvik
