#include "host/hosting/stream_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/hosting/host_error.h"
#include "host/hosting/whole_file.h"
#include "host/hosting/damaged_file.h"
#include "platform/files/regular_file.h"
#include "platform/files/user_folders.h"
#include "plugin_host/saved_configuration.h"

namespace {

// Seven words and a stat file name of any length a home screen would give.
constexpr size_t kLargestStreamFile = 64 * kKibibyte;

// Why the saved state in `file` cannot be the plug-in's; nullopt when it is missing or can be one.
std::optional<std::string> DamageOf(const std::filesystem::path& file) {
  const Outcome<std::optional<std::vector<BYTE>>> read = ReadStreamFile(file);
  if (!read.ok())
    return "the saved state " + file.string() + " cannot be read (" + read.problem() + ")";
  const std::optional<std::vector<BYTE>>& bytes = read.value();
  if (!bytes || DecodeConfiguration(*bytes)) return std::nullopt;
  return "the saved state " + file.string() + " cannot be the plug-in's (" +
         std::to_string(bytes->size()) + " bytes, not its settings and their stat file's name)";
}

}  // namespace

std::filesystem::path DefaultStreamFile() {
  return std::filesystem::path(UserFolder("XDG_STATE_HOME", ".local/state")) / "zelvar" /
         "plugin.stream";
}

Outcome<std::optional<std::vector<BYTE>>> ReadStreamFile(const std::filesystem::path& file) {
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) {
    throw HostError("the plug-in's saved state " + file.string() +
                    " is a directory, not a file; move it away");
  }
  const FileRead read = ReadRegularFile(file, kLargestStreamFile);
  if (read.outcome == FileRead::Outcome::kFailed) return Problem{read.cause};
  if (read.outcome == FileRead::Outcome::kMissing) return std::optional<std::vector<BYTE>>();
  return std::optional(std::vector<BYTE>(read.text.begin(), read.text.end()));
}

std::optional<std::string> SetAsideDamagedStream(const std::filesystem::path& file) {
  const std::optional<std::string> what = DamageOf(file);
  if (!what) return std::nullopt;
  const std::string aside = SetAsideName(file).string();
  const std::string starts = "; the plug-in starts from the home-screen file's settings";
  if (const std::optional<std::string> failure = SetAside(file)) {
    return *what + " and cannot be set aside as " + aside + ": " + *failure + starts;
  }
  return *what + ": set aside as " + aside + starts;
}

void WriteStreamFile(const std::filesystem::path& file, const std::vector<BYTE>& bytes) {
  ReplaceFileWhole(file,
                   std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                   "the plug-in's state");
}
