#include "host/front/simulation/trace_sleep.h"

std::vector<AsleepSpan> AsleepSpans(const std::vector<TraceReading>& readings,
                                    ULONGLONG longestAwakeGap) {
  std::vector<AsleepSpan> spans;
  for (size_t i = 1; i < readings.size(); ++i) {
    if (readings[i].utc - readings[i - 1].utc > longestAwakeGap)
      spans.push_back({readings[i - 1].utc, readings[i].utc});
  }
  return spans;
}
