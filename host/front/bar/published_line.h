// What a keeping status bar publishes for the bars that follow it: one file, replaced whole at each
// change of the line, holding the line as the plain bar prints it and, on the next line, the JSON
// object that --json prints, so that a follower in either form prints exactly what it would. The
// file is read only when this user alone can have written it, and what a follower prints of it
// holds no control character.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/hosting/outcome.h"

struct PublishedLine {
  std::string text;  // one line
  std::string json;  // one line
};

// "TEXT\nJSON\n".
std::string PublishedFileText(const PublishedLine& line);
// The line as a follower prints it: nullopt when the content is not two whole lines or the second
// is no JSON object of the bar's form (CheckedJsonLine); the text's control characters become
// U+FFFD. A keeper's own line comes back unchanged.
std::optional<PublishedLine> ParsePublishedFile(std::string_view content);
// The line in `file`, read as ReadOwnFile reads (a file of this user's that no one else can write,
// no link, no FIFO, at most 64 KiB), or why it cannot be had; nullopt when the file is simply
// missing (not published yet).
Outcome<std::optional<PublishedLine>> ReadPublishedFile(const std::filesystem::path& file);

// Where a keeper publishes its line: $XDG_RUNTIME_DIR/zelvar (made 0700 when missing) when
// XDG_RUNTIME_DIR holds an absolute path and both folders belong to this user and no one else can
// write them; else `fallbackFolder`, said in the note.
Noted<std::filesystem::path> PublishingFolder(const std::filesystem::path& fallbackFolder);
// The line's file in that folder, named after the home's lock file (`lockKey`, see
// HomeLock::FileKey), so that homes sharing the runtime folder stay apart.
std::filesystem::path PublishedLineFile(const std::filesystem::path& folder,
                                        const std::string& lockKey);

// The keeper's side. A leftover of a keeper that was killed goes when the publisher starts, so that
// no follower shows it; the file goes when the publisher ends.
class LinePublisher {
 public:
  // Given one line for standard error, without the program's prefix.
  using Report = std::function<void(const std::string& message)>;

  LinePublisher(std::filesystem::path file, Report report);
  ~LinePublisher();
  LinePublisher(const LinePublisher&) = delete;
  LinePublisher& operator=(const LinePublisher&) = delete;

  // A failure is reported once; the bar goes on.
  void Publish(const PublishedLine& line);

 private:
  std::filesystem::path file_;
  Report report_;
  bool reported_ = false;
};
