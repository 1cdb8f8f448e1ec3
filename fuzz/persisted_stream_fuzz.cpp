// Restores the configuration from arbitrary bytes: the reader must stay within its buffers, keep
// the name within its limit, a save of the result must be exactly as long as announced, and that
// saved stream must load back into a fresh object as the same handle and settings.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "com_toolkit/memory_stream.h"
#include "plugin/persisted_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PluginState state;
  state.settings.StatFilename = TEXT("before");
  const ComPtr<MemoryStream> input = MemoryStream::Create(std::vector<BYTE>(data, data + size));
  LoadConfiguration(*input.Get(), state);
  if (state.settings.StatFilename.size() > kMaxStoredNameLength) std::abort();
  const ComPtr<MemoryStream> saved = MemoryStream::Create();
  SaveConfiguration(*saved.Get(), state);
  if (saved->bytes().size() != PersistedSize(state)) std::abort();

  PluginState restored;
  saved->Rewind();
  LoadConfiguration(*saved.Get(), restored);
  const PluginSettings& a = state.settings;
  const PluginSettings& b = restored.settings;
  if (restored.handle != state.handle || b.RefreshTimeout != a.RefreshTimeout ||
      b.StatFilename != a.StatFilename || b.MaxHistoryDays != a.MaxHistoryDays ||
      b.MinPercent != a.MinPercent || b.FlushTimeoutHours != a.FlushTimeoutHours ||
      b.height != a.height || b.ExpertMode != a.ExpertMode) {
    std::abort();
  }
  return 0;
}
