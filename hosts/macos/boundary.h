// The edge between the Finder's Objective-C calls and the C++ extension:
// nothing thrown on one side may travel to the other.
#pragma once

#include <type_traits>

namespace tessvik::macos {

// Runs `work` and returns what it returns. If it throws anything at all (a
// C++ exception, or an Objective-C exception, which the modern runtime throws
// as a C++ one), the call is dropped: a value-initialised result comes back
// instead (nil, an empty text, nothing). The extension throws nothing by
// design, so what this stops is memory exhaustion or a platform call that
// raises; either way the extension's process goes on.
//
// Thread-safety: whatever `work` allows.
template <class Work>
auto guarded(Work&& work) noexcept -> std::invoke_result_t<Work&> {
  using Result = std::invoke_result_t<Work&>;
  static_assert(std::is_void_v<Result> || std::is_nothrow_default_constructible_v<Result>,
                "the fallback result must be made without throwing");
  try {
    return work();
  } catch (...) {
    if constexpr (!std::is_void_v<Result>) return Result{};
  }
}

}  // namespace tessvik::macos
