// A message-box sink that records every message shown and answers IDOK, as a user who closes each
// box at once. A test installs it with ScopedMessageBoxSink.
#pragma once

#include <string>
#include <vector>

#include "platform/message_box/message_box.h"
#include "platform/text/wide_text.h"
#include "windows/conformance/shown_message.h"

class RecordingMessageBoxes : public MessageBoxSink {
 public:
  int Show(const std::u16string& text, const std::u16string& caption, UINT type) override {
    messages.push_back({text, caption, type});
    return IDOK;
  }

  // The text of message i as UTF-8, for readable comparisons.
  std::string TextOf(size_t i) const { return NarrowUtf8(messages.at(i).text); }

  std::vector<ShownMessage> messages;
};
