// The host's own messages, the plug-in's message boxes and the file layer's write failures on
// their way to the user. While it lives it is the installed message-box sink and write-failure
// reporter.
//
// Messages are held until Deliver: the plug-in shows some while it starts, before the host knows
// which stat file it uses and before the terminal screen is up. Delivered, each goes through
// MessageBoxW to the installed sink: the terminal screen's dialogs while the screen is up,
// otherwise this object, which writes it to standard error as "zelvar-home: <text>", each text
// once. The plug-in's messages are given their cause: the file or the reading they are about.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/message_box/message_box.h"
#include "platform/text/wide_text.h"

// One message of the run's own, straight to standard error as "zelvar-home: <message>".
void Say(const std::string& message);

class HostMessages : public MessageBoxSink {
 public:
  // The caption of the host's own messages.
  static constexpr const char16_t* kCaption = u"zelvar-home";

  HostMessages();
  // Writes what is still held to standard error.
  ~HostMessages() override;
  HostMessages(const HostMessages&) = delete;
  HostMessages& operator=(const HostMessages&) = delete;

  // The stat file's host path and what the power status is read from, named in the causes.
  void SetStatFile(std::string hostPath) { statFile_ = std::move(hostPath); }
  void SetPowerSource(std::string description) { powerSource_ = std::move(description); }

  void Note(const std::string& message);
  // Sends what is held, and from now on every message at once.
  void Deliver();

  // Whether the file layer failed to open or write a file during the run.
  bool writeFailed() const { return !writeFailures_.empty(); }
  // Writes the file layer's failures to standard error, those not written there yet: after the
  // terminal screen, whose dialogs showed them, has gone.
  void RepeatWriteFailures();

  int Show(const std::u16string& text, const std::u16string& caption, UINT type) override;

  // A plug-in message with its cause: "Version of Stat file is wrong: <file> does not begin...".
  std::string Explained(const std::u16string& text) const;

 private:
  struct Held {
    std::u16string text;
    std::u16string caption;
    UINT type;
  };
  // The text as it goes out: the host's as it is, the plug-in's with its cause.
  std::u16string Outgoing(const Held& message) const;
  void Send(const Held& message);

  void WriteLine(const std::u16string& text);

  std::vector<Held> held_;
  std::vector<std::string> writeFailures_;
  std::set<std::u16string> written_;
  bool delivering_ = false;
  // True while Send passes a message on, which then arrives here already explained.
  bool sending_ = false;
  std::string statFile_;
  std::string powerSource_;
  std::optional<ScopedMessageBoxSink> sinkGuard_;
};
