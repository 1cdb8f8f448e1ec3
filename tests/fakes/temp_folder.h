// A fresh temporary folder for one test, removed with everything in it afterwards. As a device
// root it also maps the device's paths into itself for the test's lifetime.
#pragma once

#include <filesystem>
#include <string>

#include "platform/files/file_api.h"

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The whole content of a file below the folder; empty when it does not exist.
  std::string Read(const std::string& relative) const;
  void Write(const std::string& relative, const std::string& content) const;
  bool Exists(const std::string& relative) const;

 private:
  std::filesystem::path path_;
};

// A file layer of the test's own for its lifetime: the folder as the device root, writes allowed,
// no failure reported yet.
class ScopedDeviceRoot {
 public:
  explicit ScopedDeviceRoot(const TempFolder& folder);

  FileLayerState& state() { return state_; }

 private:
  FileLayerState state_;
  ScopedFileLayerState installed_{state_};
};
