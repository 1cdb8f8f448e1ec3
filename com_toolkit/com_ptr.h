// One owned COM reference: released when the holder goes, so every path out of a function gives
// back what it took. Builds against the stand-in and the system headers alike.
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
  ComPtr(ComPtr&& other) noexcept : pointer_(other.Detach()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = other.Detach();
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
  ULONG Reset() { return pointer_ != nullptr ? Detach()->Release() : 0; }
  // Hands the reference to the caller, who now releases it.
  Interface* Detach() { return std::exchange(pointer_, nullptr); }

 private:
  Interface* pointer_ = nullptr;
};

// The object's interface of that identifier; empty when the object does not offer it.
template <typename Interface, typename Object>
ComPtr<Interface> QueryInterfaceOf(Object* object, REFIID iid) {
  void* out = nullptr;
  if (object == nullptr || FAILED(object->QueryInterface(iid, &out))) return {};
  return ComPtr<Interface>::Adopt(static_cast<Interface*>(out));
}
