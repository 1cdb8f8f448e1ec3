// Restores the configuration from arbitrary bytes: the reader must stay within its buffers, keep the
// name within its limit, a save of the result must be exactly as long as announced, and that saved
// stream must load back into a fresh object as the same handle and settings.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plugin/persisted_stream.h"

namespace {

class ByteStream : public IStream {
 public:
  ByteStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override {
    const size_t n = count < size_ - position_ ? count : size_ - position_;
    if (n > 0) std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    if (read != nullptr) *read = static_cast<ULONG>(n);
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* written) override {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    saved.insert(saved.end(), bytes, bytes + count);
    if (written != nullptr) *written = count;
    return S_OK;
  }
  std::vector<uint8_t> saved;

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PluginState state;
  state.settings.StatFilename = TEXT("before");
  ByteStream stream(data, size);
  LoadConfiguration(stream, state);
  if (state.settings.StatFilename.size() > kMaxStoredNameLength) std::abort();
  SaveConfiguration(stream, state);
  if (stream.saved.size() != PersistedSize(state)) std::abort();

  PluginState restored;
  ByteStream saved(stream.saved.data(), stream.saved.size());
  LoadConfiguration(saved, restored);
  const PluginSettings& a = state.settings;
  const PluginSettings& b = restored.settings;
  if (restored.handle != state.handle || b.RefreshTimeout != a.RefreshTimeout || b.StatFilename != a.StatFilename ||
      b.MaxHistoryDays != a.MaxHistoryDays || b.MinPercent != a.MinPercent ||
      b.FlushTimeoutHours != a.FlushTimeoutHours || b.height != a.height || b.ExpertMode != a.ExpertMode) {
    std::abort();
  }
  return 0;
}
