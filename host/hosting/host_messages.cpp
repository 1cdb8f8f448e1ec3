#include "host/hosting/host_messages.h"

#include <iostream>
#include <utility>

#include "platform/files/file_api.h"
#include "plugin_host/plugin_messages.h"

void Say(const std::string& message) { std::cerr << "zelvar-home: " << message << "\n"; }

HostMessages::HostMessages() {
  sinkGuard_.emplace(*this);
  SetWriteFailureReporter([this](const FileWriteFailure& failure) {
    // A stream that opened and then failed lost what it held: the records of hourly drops.
    const std::string message = DescribeWriteFailure(failure) +
                                (failure.atOpen ? "" : ": the plug-in's hourly drops were lost");
    writeFailures_.push_back(message);
    Note(message);
  });
}

HostMessages::~HostMessages() {
  SetWriteFailureReporter({});
  sinkGuard_.reset();
  for (const Held& message : held_) Say(NarrowUtf8(Outgoing(message)));
}

void HostMessages::Note(const std::string& message) {
  const Held note{WidenUtf8(message), kCaption, MB_OK | MB_ICONERROR};
  if (delivering_) {
    Send(note);
  } else {
    held_.push_back(note);
  }
}

void HostMessages::Deliver() {
  delivering_ = true;
  for (const Held& message : std::exchange(held_, {})) Send(message);
}

int HostMessages::Show(const std::u16string& text, const std::u16string& caption, UINT type) {
  if (!delivering_) {
    held_.push_back({text, caption, type});
    return IDOK;
  }
  WriteLine(sending_ ? text : Outgoing({text, caption, type}));
  return IDOK;
}

void HostMessages::RepeatWriteFailures() {
  for (const std::string& failure : writeFailures_) WriteLine(WidenUtf8(failure));
}

void HostMessages::WriteLine(const std::u16string& text) {
  if (written_.insert(text).second) Say(NarrowUtf8(text));
}

std::string HostMessages::Explained(const std::u16string& text) const {
  std::string plain = NarrowUtf8(text);
  const std::string statFile = statFile_.empty() ? "the stat file" : statFile_;
  if (text == kStatFileVersionWrong) {
    return plain + ": " + statFile +
           " does not begin with \"[version 1]\", so its samples are not used";
  }
  if (plain.starts_with(kColourLookupFailedStart)) {
    return plain + ": the home screen's colour scheme did not give that colour";
  }
  if (text == kBatteryStatusUnknown) {
    return plain + ": the power status cannot be read" +
           (powerSource_.empty() ? "" : " from " + powerSource_);
  }
  return plain;
}

std::u16string HostMessages::Outgoing(const Held& message) const {
  return message.caption == kCaption ? message.text : WidenUtf8(Explained(message.text));
}

void HostMessages::Send(const Held& message) {
  sending_ = true;
  MessageBoxW(nullptr, Outgoing(message).c_str(), message.caption.c_str(), message.type);
  sending_ = false;
}
