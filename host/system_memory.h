// Handing back to the system the memory the process freed: an allocator may
// keep freed pages for the process's next allocations, and a long-lived
// file manager that once read a large badge state file would keep them for
// good.
#pragma once

namespace tessvik {

// Thread-safety: main loop only.
class SystemMemory {
 public:
  virtual ~SystemMemory() = default;
  // The extension has just freed a large working memory and expects to need
  // it no more for a while: the pages the allocator keeps free go back to
  // the system, where the platform allows it. Costs a few milliseconds at
  // most; never fails.
  virtual void returnFreedMemory() = 0;
};

}  // namespace tessvik
