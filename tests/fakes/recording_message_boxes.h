// A message-box sink that records every message shown and answers IDOK, as a user who closes each
// box at once. A test installs it with ScopedMessageBoxSink.
#pragma once

#include <string>
#include <vector>

#include "platform/files/message_box.h"

class RecordingMessageBoxes : public MessageBoxSink {
 public:
  struct Message {
    std::u16string text;
    std::u16string caption;
    UINT type;
  };

  int Show(const std::u16string& text, const std::u16string& caption, UINT type) override;

  // The text of message i as UTF-8, for readable comparisons.
  std::string TextOf(size_t i) const;

  std::vector<Message> messages;
};
