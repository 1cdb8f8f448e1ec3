#include "host/front/terminal/key_decoder.h"

namespace {

constexpr char kEscape = '\x1b';
constexpr char kCtrlC = '\x03';
// Longer control sequences are not keys this host knows: they are skipped, not held.
constexpr size_t kLongestSequence = 32;

bool IsPrintable(unsigned char c) { return c >= 0x20 && c <= 0x7E; }
bool IsCsiParameterOrIntermediate(unsigned char c) { return c >= 0x20 && c <= 0x3F; }
bool IsCsiFinal(unsigned char c) { return c >= 0x40 && c <= 0x7E; }

std::optional<Key> ArrowOf(char final) {
  switch (final) {
    case 'A':
      return Key::Up;
    case 'B':
      return Key::Down;
    case 'C':
      return Key::Right;
    case 'D':
      return Key::Left;
    default:
      return std::nullopt;
  }
}

}  // namespace

void KeyDecoder::Feed(const char* bytes, size_t n) {
  held_.append(bytes, n);
  while (!held_.empty()) {
    const size_t step = DecodeOne();
    if (step == 0) break;
    held_.erase(0, step);
  }
}

std::optional<KeyPress> KeyDecoder::Next() {
  if (ready_.empty()) return std::nullopt;
  const KeyPress press = ready_.front();
  ready_.pop_front();
  return press;
}

void KeyDecoder::Flush() {
  if (held_ == "\x1b") Emit(Key::Escape);
  held_.clear();
}

void KeyDecoder::Emit(Key key, char ch) { ready_.push_back(KeyPress{key, ch}); }

size_t KeyDecoder::DecodeOne() {
  const char c = held_[0];
  if (skippingSequence_) {
    skippingSequence_ = IsCsiParameterOrIntermediate(static_cast<unsigned char>(c));
    if (skippingSequence_ || IsCsiFinal(static_cast<unsigned char>(c))) return 1;
  }
  const bool lineFeedOfCrLf = afterCarriageReturn_ && c == '\n';
  afterCarriageReturn_ = c == '\r';
  if (c == kEscape) return DecodeEscape();
  if (c == '\r' || (c == '\n' && !lineFeedOfCrLf)) {
    Emit(Key::Enter);
  } else if (c == kCtrlC || c == 'q') {
    Emit(Key::Quit);
  } else if (c == '\t') {
    Emit(Key::Tab);
  } else if (c == ' ') {
    Emit(Key::Space);
  } else if (c > ' ' && c < '\x7f') {
    Emit(Key::Char, c);
  }
  return 1;
}

size_t KeyDecoder::DecodeEscape() {
  if (held_.size() < 2) return 0;
  const char introducer = held_[1];
  if (introducer == 'O') {
    if (held_.size() < 3) return 0;
    // A control byte cannot end the sequence: it ends it unfinished and is decoded on its own.
    if (!IsPrintable(static_cast<unsigned char>(held_[2]))) return 2;
    if (const std::optional<Key> arrow = ArrowOf(held_[2])) Emit(*arrow);
    return 3;
  }
  if (introducer == '[') {
    for (size_t i = 2; i < held_.size() && i < kLongestSequence; ++i) {
      const unsigned char c = static_cast<unsigned char>(held_[i]);
      if (IsCsiFinal(c)) {
        if (const std::optional<Key> arrow = ArrowOf(held_[i])) Emit(*arrow);
        return i + 1;
      }
      // A byte that cannot be part of the sequence ends it unfinished; decoding resumes there.
      if (!IsCsiParameterOrIntermediate(c)) return i;
    }
    if (held_.size() < kLongestSequence) return 0;
    skippingSequence_ = true;
    return kLongestSequence;
  }
  // ESC before anything else (a second ESC, or Alt with a key) is the Escape key on its own.
  Emit(Key::Escape);
  return 1;
}
