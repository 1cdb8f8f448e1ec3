// An IStream over bytes in memory, read and written at one position from the start: the stream a
// host hands to a plug-in's Save and Load. A heap object that the last Release frees.
#pragma once

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "platform/api.h"
#include "com_toolkit/com_object.h"
#include "com_toolkit/com_ptr.h"

class MemoryStream final : public ComObject<Face<IStream, IID_IStream, IID_ISequentialStream>> {
 public:
  // A new stream with one reference, the caller's, positioned at the start of the bytes.
  static ComPtr<MemoryStream> Create(std::vector<BYTE> bytes = {}) {
    return ComPtr<MemoryStream>::Adopt(new MemoryStream(std::move(bytes)));
  }

  // S_FALSE when fewer bytes than asked for were left.
  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override {
    if (read != nullptr) *read = 0;
    if (buffer == nullptr && count > 0) return E_POINTER;
    const size_t available = bytes_.size() - std::min(position_, bytes_.size());
    const size_t n = std::min<size_t>(count, available);
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    if (read != nullptr) *read = static_cast<ULONG>(n);
    return n == count ? S_OK : S_FALSE;
  }

  // Overwrites from the position on and grows the bytes as needed.
  HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* written) override {
    ++writes_;
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

#if defined(_WIN32)
  // The rest of the system's IStream. The stream only reads and writes in order, which is all that
  // Save and Load may ask of a stream: every other call fails.
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_INVALIDFUNCTION; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                   ULARGE_INTEGER*) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return STG_E_INVALIDFUNCTION; }
  HRESULT STDMETHODCALLTYPE Revert() override { return STG_E_INVALIDFUNCTION; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return STG_E_INVALIDFUNCTION; }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return STG_E_INVALIDFUNCTION; }
#endif

  const std::vector<BYTE>& bytes() const { return bytes_; }
  size_t position() const { return position_; }
  // Write calls so far, whatever they wrote.
  int writes() const { return writes_; }
  void Rewind() { position_ = 0; }

 private:
  explicit MemoryStream(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}
  ~MemoryStream() override = default;

  std::vector<BYTE> bytes_;
  size_t position_ = 0;
  int writes_ = 0;
};
