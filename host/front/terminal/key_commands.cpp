#include "host/front/terminal/key_commands.h"

HostCommand CommandFor(const KeyPress& key) {
  switch (key.key) {
    case Key::Left:
      return HostCommand::RefreshLeft;
    case Key::Right:
      return HostCommand::RefreshRight;
    case Key::Up:
    case Key::Down:
    case Key::Tab:
      return HostCommand::ToggleSelection;
    case Key::Enter:
    case Key::Space:
      return HostCommand::Action;
    case Key::Quit:
      return HostCommand::Quit;
    case Key::Char:
      if (key.ch == 'c' || key.ch == 'C') return HostCommand::SwitchColours;
      if (key.ch == 'Q') return HostCommand::Quit;
      return HostCommand::None;
    case Key::None:
    case Key::Escape:
      return HostCommand::None;
  }
  return HostCommand::None;
}
