// Message boxes as modal dialogs in the terminal: Show draws the dialog and blocks, reading keys,
// until the user closes it, as the device's message box holds the host's thread.
#pragma once

#include <functional>
#include <optional>

#include "host/front/terminal/frame.h"
#include "host/front/terminal/key_decoder.h"
#include "platform/message_box/message_box.h"

class TerminalMessageBoxes : public MessageBoxSink {
 public:
  // show draws the screen with the dialog open, or closed for nullopt. waitKey blocks until the
  // next key and answers nullopt when no more keys will come (input closed, or the host is
  // stopping). screenSize answers the terminal's width and height as the frame uses them; without
  // it the dialog does not scroll.
  TerminalMessageBoxes(std::function<void(const std::optional<MessageDialog>&)> show,
                       std::function<std::optional<KeyPress>()> waitKey,
                       std::function<ScreenSize()> screenSize = {});

  // Enter, Space, Escape or Quit close the dialog; Up and Down scroll a text taller than the
  // screen; other keys are ignored. Answers IDOK.
  int Show(const std::u16string& text, const std::u16string& caption, UINT type) override;

 private:
  std::function<void(const std::optional<MessageDialog>&)> show_;
  std::function<std::optional<KeyPress>()> waitKey_;
  std::function<ScreenSize()> screenSize_;
};
