#include "windows/conformance/message_expectations.h"

namespace {

const WString kCaption = TEXT("CZelvarPlugin");

const ShownMessage* TheOnlyMessage(CheckReport& report, const std::vector<ShownMessage>& messages,
                                   UINT type, const std::string& what) {
  if (!report.Equal(messages.size(), size_t{1}, what + ": one message box")) return nullptr;
  const ShownMessage& message = messages.front();
  report.Equal(message.caption, kCaption, what + ": caption");
  report.Equal(message.type, type, what + ": type");
  return &message;
}

}  // namespace

void ExpectOneMessage(CheckReport& report, const std::vector<ShownMessage>& messages,
                      const WString& text, UINT type, const std::string& what) {
  if (const ShownMessage* message = TheOnlyMessage(report, messages, type, what)) {
    report.Equal(message->text, text, what + ": text");
  }
}

WString ExpectOneMessageStartingWith(CheckReport& report, const std::vector<ShownMessage>& messages,
                                     const WString& start, UINT type, const std::string& what) {
  const ShownMessage* message = TheOnlyMessage(report, messages, type, what);
  if (message == nullptr) return {};
  report.Check(message->text.compare(0, start.size(), start) == 0, what + ": text start",
               "got " + CheckReport::Show(message->text.substr(0, start.size() + 20)));
  return message->text;
}
