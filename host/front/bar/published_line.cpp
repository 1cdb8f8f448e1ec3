#include "host/front/bar/published_line.h"

#include <cstdlib>

#include "host/hosting/host_error.h"
#include "host/hosting/whole_file.h"

std::string PublishedFileText(const PublishedLine& line) {
  return line.text + "\n" + line.json + "\n";
}

std::optional<PublishedLine> ParsePublishedFile(std::string_view content) {
  const size_t first = content.find('\n');
  if (first == std::string_view::npos) return std::nullopt;
  const std::string_view json = content.substr(first + 1);
  if (json.find('\n') != json.size() - 1) return std::nullopt;
  return PublishedLine{std::string(content.substr(0, first)),
                       std::string(json.substr(0, json.size() - 1))};
}

std::filesystem::path PublishedLineFile(const std::filesystem::path& fallbackFolder,
                                        const std::string& lockKey, std::string& note) {
  const std::string name = "bar-" + lockKey + ".line";
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && std::filesystem::path(runtime).is_absolute()) {
    return std::filesystem::path(runtime) / "zelvar" / name;
  }
  note =
      "XDG_RUNTIME_DIR is not set to an absolute path; the line for the bars that follow the "
      "keeper is in " +
      fallbackFolder.string();
  return fallbackFolder / name;
}

LinePublisher::LinePublisher(std::filesystem::path file, Report report)
    : file_(std::move(file)), report_(std::move(report)) {
  std::error_code ignored;
  std::filesystem::remove(file_, ignored);
}

LinePublisher::~LinePublisher() {
  std::error_code ignored;
  std::filesystem::remove(file_, ignored);
}

void LinePublisher::Publish(const PublishedLine& line) {
  try {
    ReplaceFileWhole(file_, PublishedFileText(line), "the line for the following bars");
  } catch (const HostError& failure) {
    if (!reported_) report_(failure.what());
    reported_ = true;
  }
}
