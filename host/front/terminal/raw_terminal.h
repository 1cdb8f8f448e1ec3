// The terminal in the state a full-screen program needs, for the lifetime of the object: standard
// input in raw mode (no echo, no line editing, Ctrl-C arrives as a key instead of a signal), the
// cursor hidden, the alternate screen shown. Everything is put back by the destructor and, should
// the program end through exit() without it, by an exit handler.
//
// The stop and resize signals are caught while the object lives, in either mode (StopSignals,
// installed before raw mode is entered), so that the host ends through its normal path (and the
// plug-in is released) when asked to stop, and a stop signal can never leave the terminal raw;
// SIGTSTP and SIGCONT are caught too, for Suspend and a redraw.
#pragma once

#include <string>

#include "host/wait/stop_signals.h"

class RawTerminal {
 public:
  RawTerminal();
  ~RawTerminal();
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

  // False when standard input or output is not a terminal: then the terminal is left as it is.
  // Only one RawTerminal takes effect at a time; one made while another lives does nothing at all.
  bool active() const { return active_; }

  // Writes all of the text to standard output, continuing after partial writes and interruptions;
  // false when the output failed. Also works when not active.
  bool Write(const std::string& text) const;
  // The terminal's size in columns and rows; 80 and 24 when it cannot be asked.
  int Width() const;
  int Height() const;

  // Gives the terminal back as it was, stops the process until it is continued, then takes the
  // terminal again; the caller paints the whole screen anew. For SIGTSTP.
  void Suspend() const;

  // Whether one of the stop signals arrived; stays set.
  static bool StopRequested();
  // Whether the terminal was resized since the last call; reading clears it.
  static bool ResizeRequested();

 private:
  StopSignals signals_;
  bool owner_;
  bool active_ = false;
};
