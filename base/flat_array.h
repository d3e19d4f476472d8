// A growable array of plain values in one block of memory: a vector for
// large arrays (a badge state file read whole, the status table's keys: tens
// of megabytes for a million items) whose growing and shrinking move
// nothing, and whose new elements are not written until the caller writes
// them. The system grows or shrinks a large block by remapping its pages,
// where std::vector would allocate a second block, touch every page of it
// and copy: for a table built once and held for hours, that is a second full
// write of the keys, just to give back the room reserved for the largest
// file.
//
// Blocks of 2 MiB and more are mapped on their own, aligned to 2 MiB and
// offered to the system's huge pages where it has them (Linux's transparent
// huge pages, asked for with MADV_HUGEPAGE): the first touch of fresh memory
// then takes one fault per 2 MiB instead of one per 4 KiB, and on a virtual
// machine those faults cost as much as parsing the bytes written. Smaller
// blocks, and every block elsewhere (macOS), come from malloc.
//
// Only for trivially copyable types. Not thread-safe.
#pragma once

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <span>
#include <type_traits>
#include <utility>

namespace tessvik {
namespace flat_array_memory {

#if defined(__linux__) && defined(MADV_HUGEPAGE) && defined(MREMAP_MAYMOVE)
// Blocks of this size and more are mapped, aligned to it.
inline constexpr std::size_t kLarge = std::size_t{2} << 20;

inline bool isLarge(std::size_t bytes) {
  return bytes >= kLarge;
}

inline std::size_t pageRounded(std::size_t bytes) {
  constexpr std::size_t kPage = 4096;
  return (bytes + kPage - 1) & ~(kPage - 1);
}

// The room to give a block asked to hold `bytes`: a large one takes whole
// huge pages, since a last part shorter than one is mapped page by page,
// which costs up to 511 faults where one would do.
inline std::size_t roomFor(std::size_t bytes) {
  if (!isLarge(bytes) || bytes > SIZE_MAX - kLarge) return bytes;
  return (bytes + kLarge - 1) & ~(kLarge - 1);
}

// Fresh zeroed memory of `bytes` (rounded to pages), starting on a 2 MiB
// boundary so that every whole 2 MiB of it can be one huge page; null when
// the system refuses.
inline void* mapAligned(std::size_t bytes) {
  const std::size_t length = pageRounded(bytes);
  if (length > SIZE_MAX - kLarge) return nullptr;
  void* raw =
      ::mmap(nullptr, length + kLarge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto begin = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (begin + kLarge - 1) & ~(std::uintptr_t{kLarge} - 1);
  if (aligned > begin) ::munmap(raw, aligned - begin);
  const std::size_t after = begin + length + kLarge - (aligned + length);
  if (after > 0) ::munmap(reinterpret_cast<void*>(aligned + length), after);
  void* block = reinterpret_cast<void*>(aligned);
  // Only advice: without huge pages the block works all the same.
  ::madvise(block, length, MADV_HUGEPAGE);
  return block;
}

inline void unmap(void* block, std::size_t bytes) {
  if (block != nullptr) ::munmap(block, pageRounded(bytes));
}

// The mapped block `block` of `oldBytes`, made `newBytes` long, its first
// `keptBytes` kept without copying: shrunk or grown in place where the address space
// after it is free, else its pages are moved into a fresh aligned block.
inline void* remap(void* block, std::size_t oldBytes, std::size_t keptBytes, std::size_t newBytes) {
  const std::size_t oldLength = pageRounded(oldBytes);
  const std::size_t newLength = pageRounded(newBytes);
  if (newLength <= oldLength) {
    if (newLength < oldLength)
      ::munmap(static_cast<char*>(block) + newLength, oldLength - newLength);
    return block;
  }
  if (::mremap(block, oldLength, newLength, 0) != MAP_FAILED) {
    ::madvise(block, newLength, MADV_HUGEPAGE);
    return block;
  }
  void* grown = mapAligned(newBytes);
  if (grown == nullptr) return nullptr;
  if (::mremap(block, oldLength, oldLength, MREMAP_MAYMOVE | MREMAP_FIXED, grown) == MAP_FAILED) {
    std::memcpy(grown, block, keptBytes);
    ::munmap(block, oldLength);
  }
  return grown;
}
#else
inline bool isLarge(std::size_t) {
  return false;
}
inline std::size_t roomFor(std::size_t bytes) {
  return bytes;
}
inline void* mapAligned(std::size_t) {
  return nullptr;
}
inline void unmap(void*, std::size_t) {}
inline void* remap(void*, std::size_t, std::size_t, std::size_t) {
  return nullptr;
}
#endif

// A block of `bytes` (> 0), fresh; zeroed when `zeroed`. Null when refused.
inline void* allocate(std::size_t bytes, bool zeroed) {
  if (isLarge(bytes)) return mapAligned(bytes);
  return zeroed ? std::calloc(1, bytes) : std::malloc(bytes);
}

inline void release(void* block, std::size_t bytes) {
  if (isLarge(bytes)) {
    unmap(block, bytes);
  } else {
    std::free(block);
  }
}

// `block` of `oldBytes` (its first `keptBytes` in use) made `newBytes` (> 0)
// long; null, leaving `block` as it was, when refused.
inline void* resize(void* block, std::size_t oldBytes, std::size_t keptBytes,
                    std::size_t newBytes) {
  if (block == nullptr) return allocate(newBytes, false);
  if (isLarge(oldBytes) && isLarge(newBytes)) return remap(block, oldBytes, keptBytes, newBytes);
  if (!isLarge(oldBytes) && !isLarge(newBytes)) return std::realloc(block, newBytes);
  // Across the threshold: the part in use is below it, or is cut to below it.
  void* moved = allocate(newBytes, false);
  if (moved == nullptr) return nullptr;
  if (keptBytes > 0) std::memcpy(moved, block, std::min(keptBytes, newBytes));
  release(block, oldBytes);
  return moved;
}

}  // namespace flat_array_memory

template <class T>
requires std::is_trivially_copyable_v<T>
class FlatArray {
 public:
  FlatArray() = default;
  ~FlatArray() { flat_array_memory::release(data_, capacity_ * sizeof(T)); }
  FlatArray(FlatArray&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  FlatArray& operator=(FlatArray&& other) noexcept {
    if (this != &other) {
      flat_array_memory::release(data_, capacity_ * sizeof(T));
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
      capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
  }

  T* data() { return data_; }
  const T* data() const { return data_; }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  bool empty() const { return size_ == 0; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }
  operator std::span<const T>() const { return {data_, size_}; }

  // Room for `n` elements. Address space that is never written costs no
  // memory, so a generous reserve is cheap. Throws std::bad_alloc when the
  // system refuses, as std::vector would.
  void reserve(std::size_t n) {
    if (n > capacity_) reallocate(grown(n));
  }
  // Makes the size `n`. Elements past the old size are left as the memory
  // holds them, for the caller to write (a file's bytes are read into them):
  // fresh pages are not written twice.
  void resizeForOverwrite(std::size_t n) {
    reserve(n);
    size_ = n;
  }
  // Makes the size `n`, every element all zero bits. Memory fresh from the
  // system is zero already: a block too small is given up and a new one
  // taken zeroed, which leaves such memory untouched until it is used.
  void assignZeros(std::size_t n) {
    if (n > capacity_) {
      *this = FlatArray();
      if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
      const std::size_t capacity = grown(n);
      data_ = static_cast<T*>(flat_array_memory::allocate(capacity * sizeof(T), true));
      if (data_ == nullptr) throw std::bad_alloc();
      capacity_ = capacity;
    } else if (n > 0) {
      std::memset(data_, 0, n * sizeof(T));
    }
    size_ = n;
  }
  void push_back(const T& value) {
    if (size_ == capacity_) reallocate(grown(capacity_ < 16 ? 16 : capacity_ * 2));
    data_[size_++] = value;
  }
  void append(const T* values, std::size_t n) {
    if (n == 0) return;
    if (capacity_ - size_ < n) reallocate(grown(std::max(size_ + n, capacity_ * 2)));
    std::memcpy(data_ + size_, values, n * sizeof(T));
    size_ += n;
  }
  void assign(const T* values, std::size_t n) {
    size_ = 0;
    append(values, n);
  }
  void clear() { size_ = 0; }
  // Gives back the room past the end.
  void shrinkToFit() {
    if (capacity_ > size_) reallocate(size_);
  }

 private:
  // The capacity to give for `n` elements: at least n.
  static std::size_t grown(std::size_t n) {
    if (n > SIZE_MAX / sizeof(T)) return n;  // reallocate refuses it
    return flat_array_memory::roomFor(n * sizeof(T)) / sizeof(T);
  }
  void reallocate(std::size_t capacity) {
    if (capacity == 0) {
      *this = FlatArray();
      return;
    }
    if (capacity > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    void* moved = flat_array_memory::resize(data_, capacity_ * sizeof(T), size_ * sizeof(T),
                                            capacity * sizeof(T));
    if (moved == nullptr) throw std::bad_alloc();
    data_ = static_cast<T*>(moved);
    capacity_ = capacity;
  }

  T* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace tessvik
