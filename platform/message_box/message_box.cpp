#include "platform/message_box/message_box.h"

#include <cstdio>

#include "platform/text/wide_text.h"

namespace {

ServiceSlot<MessageBoxSink> slot;

}  // namespace

MessageBoxSink* InstallMessageBoxSink(MessageBoxSink* sink) { return slot.Install(sink); }

int MessageBoxW(HWND /*owner*/, LPCWSTR text, LPCWSTR caption, UINT type) {
  const std::u16string body = text ? text : u"";
  const std::u16string title = caption ? caption : u"";
  if (MessageBoxSink* sink = slot.installed()) return sink->Show(body, title, type);
  std::fprintf(stderr, "[%s] %s\n", NarrowUtf8(title).c_str(), NarrowUtf8(body).c_str());
  return IDOK;
}
