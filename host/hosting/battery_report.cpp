#include "host/hosting/battery_report.h"

#include "platform/message_box/message_box.h"
#include "platform/text/wide_text.h"

namespace {

class KeptMessages final : public MessageBoxSink {
 public:
  int Show(const std::u16string& text, const std::u16string&, UINT) override {
    if (!texts_.empty()) texts_ += "\n";
    texts_ += NarrowUtf8(text);
    return IDOK;
  }
  const std::string& texts() const { return texts_; }

 private:
  std::string texts_;
};

}  // namespace

std::string CaptureBatteryReport(HomeScreenSession& session) {
  KeptMessages messages;
  const ScopedMessageBoxSink guard(messages);
  const bool repaintDue = session.line().repaintRequested;
  session.Action();
  if (!repaintDue) session.DropRepaintRequest();
  return messages.texts();
}
