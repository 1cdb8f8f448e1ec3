// The stream the host hands to the plug-in's Save and Load: an IStream over bytes in memory, read
// and written at one position from the start. A reference-counted COM object that frees itself.
#pragma once

#include <vector>

#include "host/activation/com_ptr.h"
#include "platform/api.h"

class ByteStream final : public IStream {
 public:
  // A new stream with one reference, the caller's, positioned at the start of the bytes.
  static ComPtr<ByteStream> Create(std::vector<BYTE> bytes = {});

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // S_FALSE when fewer bytes than asked for were left.
  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override;
  // Overwrites from the position on and grows the bytes as needed.
  HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* written) override;

  const std::vector<BYTE>& bytes() const { return bytes_; }
  void Rewind() { position_ = 0; }

 private:
  explicit ByteStream(std::vector<BYTE> bytes) : bytes_(std::move(bytes)) {}
  ~ByteStream() = default;

  ULONG references_ = 1;
  std::vector<BYTE> bytes_;
  size_t position_ = 0;
};
