#include "tests/fakes/recording_message_boxes.h"

#include "platform/text/wide_text.h"

int RecordingMessageBoxes::Show(const std::u16string& text, const std::u16string& caption, UINT type) {
  messages.push_back({text, caption, type});
  return IDOK;
}

std::string RecordingMessageBoxes::TextOf(size_t i) const { return NarrowUtf8(messages.at(i).text); }
