// Decodes the bytes read from a terminal in raw mode into key presses.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

enum class Key { None, Left, Right, Up, Down, Enter, Escape, Tab, Space, Char, Quit };

struct KeyPress {
  Key key = Key::None;
  char ch = 0;  // the character of a Key::Char, printable ASCII; 0 otherwise
};

// Arrows come as ESC [ A..D or, in the terminal's application mode, ESC O A..D (modifier
// parameters such as ESC [ 1 ; 5 C are ignored); CR, LF or CR LF are Enter; 'q' and Ctrl-C are
// Quit. Other escape sequences, control characters and non-ASCII bytes are skipped.
//
// A sequence may arrive split over several reads, so an ESC at the end of the input is held back:
// it may be the start of an arrow. When the input then stays quiet (the caller's poll times out,
// a few tens of milliseconds are enough), Flush() decides that it was the Escape key.
class KeyDecoder {
 public:
  void Feed(const char* bytes, size_t n);
  // The next decoded key, oldest first; nullopt when none is ready.
  std::optional<KeyPress> Next();
  // Takes the held-back input as complete: a lone ESC becomes Escape, a cut-off sequence is
  // dropped.
  void Flush();
  // Whether input is held back, waiting for more or for Flush().
  bool Pending() const { return !held_.empty(); }

 private:
  // Decodes the key at the start of held_; answers the bytes it used, 0 when it needs more.
  size_t DecodeOne();
  size_t DecodeEscape();
  void Emit(Key key, char ch = 0);

  std::string held_;
  std::deque<KeyPress> ready_;
  bool afterCarriageReturn_ = false;
  // Inside an overlong escape sequence: its remaining bytes are dropped up to its final byte.
  bool skippingSequence_ = false;
};
