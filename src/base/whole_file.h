// Reads a whole file into memory in one piece, in binary mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace sumwright {

// An allocator whose resize() leaves new elements uninitialised: a buffer that a file is read
// into at once need not be cleared first (tens of megabytes of needless writes).
template <typename T>
struct UninitializedAllocator {
  using value_type = T;
  UninitializedAllocator() = default;
  template <typename U>
  UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
  T* allocate(size_t count) { return std::allocator<T>{}.allocate(count); }
  void deallocate(T* pointer, size_t count) noexcept {
    std::allocator<T>{}.deallocate(pointer, count);
  }
  template <typename U>
  void construct(U* pointer) noexcept {
    ::new (static_cast<void*>(pointer)) U;
  }
  template <typename U, typename... Arguments>
  void construct(U* pointer, Arguments&&... arguments) {
    ::new (static_cast<void*>(pointer)) U(std::forward<Arguments>(arguments)...);
  }
  friend bool operator==(const UninitializedAllocator&, const UninitializedAllocator&) {
    return true;
  }
  friend bool operator!=(const UninitializedAllocator&, const UninitializedAllocator&) {
    return false;
  }
};

// The bytes of a whole file.
using ByteBuffer = std::vector<char, UninitializedAllocator<char>>;

// Reads every byte of the named file into *bytes. False when the file cannot be opened or read,
// is a directory, or its name holds a NUL byte (which would open the file named by the part
// before it); nothing is printed here.
bool ReadWholeFile(const std::string& name, ByteBuffer* bytes);

// The same, for a file that must not hold more than `limit` bytes: false with *tooLarge set when
// it holds more, found before more than `limit` + 1 bytes are taken into memory (a device
// or pipe that never ends among them). Memory that cannot be had throws std::bad_alloc, with the
// file closed.
bool ReadWholeFile(const std::string& name, uint64_t limit, ByteBuffer* bytes, bool* tooLarge);

}  // namespace sumwright
