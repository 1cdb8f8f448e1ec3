#include "host/front/commands/report_command.h"

#include <optional>

#include "host/hosting/host_error.h"
#include "platform/message_box/message_box.h"

namespace {

// Keeps the first message box shown instead of showing it.
class FirstMessageBox : public MessageBoxSink {
 public:
  int Show(const std::u16string& text, const std::u16string&, UINT type) override {
    if (!text_) {
      text_ = text;
      type_ = type;
    }
    return IDOK;
  }
  const std::optional<std::u16string>& text() const { return text_; }
  UINT type() const { return type_; }

 private:
  std::optional<std::u16string> text_;
  UINT type_ = 0;
};

}  // namespace

std::string RunReport(HomeScreenSession& session, const HostMessages& messages) {
  FirstMessageBox shown;
  {
    const ScopedMessageBoxSink capture(shown);
    session.Action();
  }
  if (!shown.text()) throw HostError("the plug-in showed no battery report");
  // An error box instead of the report: the plug-in's words for what went wrong, with their cause.
  if ((shown.type() & MB_ICONINFORMATION) != MB_ICONINFORMATION)
    throw HostError(messages.Explained(*shown.text()));
  return NarrowUtf8(*shown.text());
}
