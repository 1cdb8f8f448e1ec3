// What a keeping status bar publishes for the bars that follow it: one file, replaced whole at each
// change of the line, holding the line as the plain bar prints it and, on the next line, the JSON
// object that --json prints, so that a follower in either form prints exactly what it would.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

struct PublishedLine {
  std::string text;  // one line
  std::string json;  // one line
};

// "TEXT\nJSON\n".
std::string PublishedFileText(const PublishedLine& line);
// nullopt when the content is not two whole lines.
std::optional<PublishedLine> ParsePublishedFile(std::string_view content);

// Where a home's line is published: $XDG_RUNTIME_DIR/zelvar when XDG_RUNTIME_DIR holds an absolute
// path, else `fallbackFolder`, said in `note`. The file is named after the home's lock file
// (`lockKey`, see HomeLock::FileKey), so that homes sharing the runtime folder stay apart.
std::filesystem::path PublishedLineFile(const std::filesystem::path& fallbackFolder,
                                        const std::string& lockKey, std::string& note);

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
