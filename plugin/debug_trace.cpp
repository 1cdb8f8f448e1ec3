#include "plugin/debug_trace.h"

#include <cstdarg>
#include <cstdio>

namespace {

WCHAR traceBuffer[kTraceBufferLength];

}  // namespace

void DebugTrace(const char* format, ...) {
  char narrow[kTraceBufferLength];
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(narrow, sizeof narrow, format, args);
  va_end(args);
  size_t length = written < 0 ? 0 : static_cast<size_t>(written);
  if (length >= kTraceBufferLength) length = kTraceBufferLength - 1;
  for (size_t i = 0; i < length; ++i) traceBuffer[i] = static_cast<unsigned char>(narrow[i]);
  traceBuffer[length] = 0;
}

const WCHAR* TraceBuffer() { return traceBuffer; }
