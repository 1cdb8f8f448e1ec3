#include "host/session/byte_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

ComPtr<ByteStream> ByteStream::Create(std::vector<BYTE> bytes) {
  return ComPtr<ByteStream>::Adopt(new ByteStream(std::move(bytes)));
}

HRESULT ByteStream::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid != IID_IUnknown && iid != IID_ISequentialStream && iid != IID_IStream) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IStream*>(this);
  AddRef();
  return S_OK;
}

ULONG ByteStream::AddRef() { return ++references_; }

ULONG ByteStream::Release() {
  const ULONG remaining = --references_;
  if (remaining == 0) delete this;
  return remaining;
}

HRESULT ByteStream::Read(void* buffer, ULONG count, ULONG* read) {
  if (read != nullptr) *read = 0;
  if (buffer == nullptr && count > 0) return E_POINTER;
  const size_t available = bytes_.size() - std::min(position_, bytes_.size());
  const size_t n = std::min<size_t>(count, available);
  if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  if (read != nullptr) *read = static_cast<ULONG>(n);
  return n == count ? S_OK : S_FALSE;
}

HRESULT ByteStream::Write(const void* buffer, ULONG count, ULONG* written) {
  if (written != nullptr) *written = 0;
  if (buffer == nullptr && count > 0) return E_POINTER;
  try {
    if (position_ + count > bytes_.size()) bytes_.resize(position_ + count);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  if (count > 0) std::memcpy(bytes_.data() + position_, buffer, count);
  position_ += count;
  if (written != nullptr) *written = count;
  return S_OK;
}
