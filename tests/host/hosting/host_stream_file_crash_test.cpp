// Saving the persisted stream when the write fails part-way, at every byte: in a child process
// whose file-size limit lets only so many bytes reach a file, as on a full disk. The save must
// report the failure, keep the old stream whole and leave no temporary file behind; once every
// byte fits, the new stream replaces the old one.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "host/hosting/host_error.h"
#include "host/hosting/stream_file.h"
#include "tests/fakes/temp_folder.h"

namespace {

// 0: saved, 1: the save reported a failure.
int SaveWithinFileSize(const std::filesystem::path& file, const std::vector<BYTE>& bytes,
                       size_t limit) {
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG instead
    const rlimit fileSize{limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &fileSize) != 0) _exit(2);
    try {
      WriteStreamFile(file, bytes);
    } catch (const HostError&) {
      _exit(1);
    }
    _exit(0);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(StreamFileCrashTest, SaveCutAtEveryByteKeepsTheOldStreamWhole) {
  TempFolder folder;
  const auto file = folder.path() / "plugin.stream";
  const std::vector<BYTE> old(32, 0x11);
  std::vector<BYTE> saved(52, 0x22);
  saved[0] = 0x33;
  for (size_t limit = 0; limit <= saved.size(); ++limit) {
    SCOPED_TRACE("file size limit " + std::to_string(limit));
    WriteStreamFile(file, old);
    const bool fits = limit == saved.size();
    EXPECT_EQ(SaveWithinFileSize(file, saved, limit), fits ? 0 : 1);
    EXPECT_EQ(ReadStreamFile(file).value(), fits ? saved : old);
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
      ++entries;
    EXPECT_EQ(entries, 1u);
  }
}

}  // namespace
