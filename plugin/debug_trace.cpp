#include "plugin/debug_trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

WCHAR traceBuffer[kTraceBufferLength];
// A traced line without placeholders, not yet copied into the buffer: every event traces one, and
// nothing reads the buffer in normal use, so the copy waits for a reader.
const char* pendingLine = nullptr;

void Store(const char* narrow, size_t length) {
  if (length >= kTraceBufferLength) length = kTraceBufferLength - 1;
  for (size_t i = 0; i < length; ++i) traceBuffer[i] = static_cast<unsigned char>(narrow[i]);
  traceBuffer[length] = 0;
}

}  // namespace

void DebugTrace(const char* format, ...) {
  if (std::strchr(format, '%') == nullptr) {
    pendingLine = format;
    return;
  }
  pendingLine = nullptr;
  char narrow[kTraceBufferLength];
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(narrow, sizeof narrow, format, args);
  va_end(args);
  Store(narrow, written < 0 ? 0 : static_cast<size_t>(written));
}

const WCHAR* TraceBuffer() {
  if (pendingLine != nullptr) {
    Store(pendingLine, std::strlen(pendingLine));
    pendingLine = nullptr;
  }
  return traceBuffer;
}
