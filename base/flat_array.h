// A growable array of plain values in one block from malloc: a vector for
// large arrays (a badge state file read whole, the status table's keys: tens
// of megabytes for a million items) whose growing and shrinking move
// nothing, and whose new elements are not written until the caller writes
// them. The C library grows or shrinks a large block by remapping its pages
// (realloc), where std::vector would allocate a second block, touch every
// page of it and copy: for a table built once and held for hours, that is a
// second full write of the keys, just to give back the room reserved for the
// largest file.
//
// Only for trivially copyable types. Not thread-safe.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <type_traits>
#include <utility>

namespace tessvik {

template <class T>
requires std::is_trivially_copyable_v<T>
class FlatArray {
 public:
  FlatArray() = default;
  FlatArray(FlatArray&& other) noexcept
      : data_(std::move(other.data_)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  FlatArray& operator=(FlatArray&& other) noexcept {
    data_ = std::move(other.data_);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    return *this;
  }

  T* data() { return data_.get(); }
  const T* data() const { return data_.get(); }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  bool empty() const { return size_ == 0; }
  T& operator[](std::size_t i) { return data_.get()[i]; }
  const T& operator[](std::size_t i) const { return data_.get()[i]; }
  const T* begin() const { return data(); }
  const T* end() const { return data() + size_; }
  operator std::span<const T>() const { return {data(), size_}; }

  // Room for `n` elements. Address space that is never written costs no
  // memory, so a generous reserve is cheap. Throws std::bad_alloc when the
  // system refuses, as std::vector would.
  void reserve(std::size_t n) {
    if (n > capacity_) reallocate(n);
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
  // taken with calloc, which leaves such memory untouched until it is used.
  void assignZeros(std::size_t n) {
    if (n > capacity_) {
      data_.reset();
      size_ = capacity_ = 0;
      if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
      T* zeros = static_cast<T*>(std::calloc(n, sizeof(T)));
      if (zeros == nullptr) throw std::bad_alloc();
      data_.reset(zeros);
      capacity_ = n;
    } else if (n > 0) {
      std::memset(data_.get(), 0, n * sizeof(T));
    }
    size_ = n;
  }
  void push_back(const T& value) {
    if (size_ == capacity_) reallocate(capacity_ < 16 ? 16 : capacity_ * 2);
    data_.get()[size_++] = value;
  }
  void append(const T* values, std::size_t n) {
    if (n == 0) return;
    if (capacity_ - size_ < n) reallocate(std::max(size_ + n, capacity_ * 2));
    std::memcpy(data_.get() + size_, values, n * sizeof(T));
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
  struct Free {
    void operator()(T* p) const { std::free(p); }
  };
  void reallocate(std::size_t capacity) {
    if (capacity == 0) {
      data_.reset();
      capacity_ = 0;
      return;
    }
    if (capacity > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    void* grown = std::realloc(data_.get(), capacity * sizeof(T));
    if (grown == nullptr) throw std::bad_alloc();
    (void)data_.release();
    data_.reset(static_cast<T*>(grown));
    capacity_ = capacity;
  }

  std::unique_ptr<T, Free> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace tessvik
