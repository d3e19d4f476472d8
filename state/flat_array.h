// A growable array of plain values in one block from malloc: a vector for
// the status table's large arrays (tens of megabytes for a million items)
// whose growing and shrinking move nothing. The C library grows or shrinks
// a large block by remapping its pages (realloc), where std::vector would
// allocate a second block, touch every page of it and copy: for a table
// built once and held for hours, that is a second full write of the keys,
// just to give back the room reserved for the largest file.
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
    if (n > capacity_) resize(n);
  }
  void push_back(const T& value) {
    if (size_ == capacity_) resize(capacity_ < 16 ? 16 : capacity_ * 2);
    data_.get()[size_++] = value;
  }
  void append(const T* values, std::size_t n) {
    if (n == 0) return;
    if (capacity_ - size_ < n) resize(std::max(size_ + n, capacity_ * 2));
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
    if (capacity_ > size_) resize(size_);
  }

 private:
  struct Free {
    void operator()(T* p) const { std::free(p); }
  };
  void resize(std::size_t capacity) {
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
