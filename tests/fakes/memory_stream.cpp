#include "tests/fakes/memory_stream.h"

#include <algorithm>
#include <cstring>

HRESULT MemoryStream::QueryInterface(REFIID riid, void** out) {
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ISequentialStream) || IsEqualIID(riid, IID_IStream)) {
    AddRef();
    *out = this;
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT MemoryStream::Read(void* buffer, ULONG count, ULONG* read) {
  const size_t available = bytes.size() - std::min(position, bytes.size());
  const size_t n = std::min<size_t>(count, available);
  if (n > 0) std::memcpy(buffer, bytes.data() + position, n);
  position += n;
  if (read != nullptr) *read = static_cast<ULONG>(n);
  return n == count ? S_OK : S_FALSE;
}

HRESULT MemoryStream::Write(const void* buffer, ULONG count, ULONG* written) {
  ++writes;
  const auto* data = static_cast<const BYTE*>(buffer);
  if (position + count > bytes.size()) bytes.resize(position + count);
  std::copy(data, data + count, bytes.begin() + static_cast<std::ptrdiff_t>(position));
  position += count;
  if (written != nullptr) *written = count;
  return S_OK;
}

MemoryStream& MemoryStream::Word(DWORD value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<BYTE>(value >> shift));
  return *this;
}

MemoryStream& MemoryStream::Units(const std::u16string& text) {
  for (char16_t c : text) {
    bytes.push_back(static_cast<BYTE>(c));
    bytes.push_back(static_cast<BYTE>(c >> 8));
  }
  return *this;
}
