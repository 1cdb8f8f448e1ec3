// The module-wide debug trace: each traced line is formatted into one buffer of 2000 wide
// characters, which nothing in the module reads. Lines longer than the buffer are cut, never
// written past it. A line without placeholders (every line the module traces) is kept as given
// and copied into the buffer only when it is read, so its format must be a string literal.
#pragma once

#include "platform/api.h"

inline constexpr size_t kTraceBufferLength = 2000;

void DebugTrace(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The last traced line, zero-terminated.
const WCHAR* TraceBuffer();
