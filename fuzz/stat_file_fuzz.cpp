// Loads arbitrary bytes as a stat file: the loader must never crash, and the table it fills must
// answer sane estimates.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/files/file_api.h"
#include "platform/files/message_box.h"
#include "stats/stat_file.h"

namespace {

class SilentMessages : public MessageBoxSink {
 public:
  int Show(const std::u16string&, const std::u16string&, UINT) override { return IDOK; }
};

const std::string& FuzzRoot() {
  static const std::string root = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelvar-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
  }();
  return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetDeviceRoot(FuzzRoot());
  SilentMessages messages;
  ScopedMessageBoxSink guard(messages);
  FILE* file = std::fopen((FuzzRoot() + "/stats.dat").c_str(), "wb");
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  HourlyDrainTable table;
  // A window of every past record: as many lines as possible reach the table.
  LoadStatFile(TEXT("\\stats.dat"), 0xFFFFFFFF, table, true);
  for (int hour = 0; hour < 24; ++hour) {
    for (int percent : {0, 1, 50, 100, 255}) {
      const double hours = table.EstimateHours(hour, percent);
      if (!(hours == -1.0 || (hours >= 0 && std::isfinite(hours)))) std::abort();
    }
  }
  WString text;
  table.FormatCumulative(text, 3);
  return 0;
}
