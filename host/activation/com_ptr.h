// One owned COM reference: released when the holder goes, so every path out of a host function
// gives back what it took.
#pragma once

#include <utility>

#include "platform/api.h"

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }

  // Takes over a reference the caller already holds (a new object, an out parameter).
  static ComPtr Adopt(Interface* pointer) {
    ComPtr owned;
    owned.pointer_ = pointer;
    return owned;
  }

  Interface* Get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // Releases the reference; answers what the object's Release answered (0 when nothing was held).
  ULONG Reset() { return pointer_ != nullptr ? std::exchange(pointer_, nullptr)->Release() : 0; }

 private:
  Interface* pointer_ = nullptr;
};
