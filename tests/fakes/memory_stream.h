// A stream over bytes in memory, as the host keeps the plug-in's configuration. Counts the writes.
#pragma once

#include <vector>

#include "platform/api.h"
#include "tests/fakes/com_object.h"

class MemoryStream : public IStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<BYTE> bytes) : bytes(std::move(bytes)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override;
  HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* written) override;
  FAKE_REFCOUNT_METHODS;

  // Appends a little-endian 32-bit word, or UTF-16 code units.
  MemoryStream& Word(DWORD value);
  MemoryStream& Units(const std::u16string& text);

  std::vector<BYTE> bytes;
  size_t position = 0;
  int writes = 0;
};
