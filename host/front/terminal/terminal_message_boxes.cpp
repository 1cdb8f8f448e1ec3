#include "host/front/terminal/terminal_message_boxes.h"

#include <algorithm>
#include <utility>

namespace {

bool ClosesDialog(Key key) {
  return key == Key::Enter || key == Key::Space || key == Key::Escape || key == Key::Quit;
}

}  // namespace

TerminalMessageBoxes::TerminalMessageBoxes(
    std::function<void(const std::optional<MessageDialog>&)> show,
    std::function<std::optional<KeyPress>()> waitKey, std::function<ScreenSize()> screenSize)
    : show_(std::move(show)), waitKey_(std::move(waitKey)), screenSize_(std::move(screenSize)) {}

int TerminalMessageBoxes::Show(const std::u16string& text, const std::u16string& caption,
                               UINT type) {
  MessageDialog dialog{caption, text, type};
  show_(dialog);
  for (;;) {
    const std::optional<KeyPress> press = waitKey_();
    if (!press || ClosesDialog(press->key)) break;
    if ((press->key == Key::Up || press->key == Key::Down) && screenSize_) {
      const ScreenSize screen = screenSize_();
      const int limit = DialogScrollLimit(dialog, screen.width, screen.height);
      const int scroll = std::clamp(dialog.scroll + (press->key == Key::Down ? 1 : -1), 0, limit);
      if (scroll == dialog.scroll) continue;
      dialog.scroll = scroll;
      show_(dialog);
    }
  }
  show_(std::nullopt);
  return IDOK;
}
