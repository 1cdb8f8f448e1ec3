// A folder of the fuzzing process's own for targets that read real files: in memory (/dev/shm)
// where the machine has it, so that a run costs no disk write, and removed with everything in it
// when the process ends normally, so that no run leaves anything behind (a crash keeps it, with
// the input that caused it).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

class ScratchFolderOwner {
 public:
  ScratchFolderOwner() {
    std::error_code error;
    std::filesystem::path base = "/dev/shm";
    if (!std::filesystem::is_directory(base, error)) base = std::filesystem::temp_directory_path();
    std::string pattern = (base / "zelvar-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~ScratchFolderOwner() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolderOwner(const ScratchFolderOwner&) = delete;
  ScratchFolderOwner& operator=(const ScratchFolderOwner&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline const std::filesystem::path& ScratchFolder() {
  static const ScratchFolderOwner owner;
  return owner.path();
}
