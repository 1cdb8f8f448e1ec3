// Message boxes of the device platform, routed to a sink that the host or a test installs.
#pragma once

#include <string>

#include "platform/scoped_service.h"
#include "platform/win_types.h"

typedef struct HWND__* HWND;

#define MB_OK 0x00000000L
#define MB_ICONHAND 0x00000010L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONINFORMATION MB_ICONASTERISK
#define IDOK 1

// Shows a modal message and answers the button pressed (IDOK), or 0 when it could not be shown.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

class MessageBoxSink {
 public:
  virtual ~MessageBoxSink() = default;
  virtual int Show(const std::u16string& text, const std::u16string& caption, UINT type) = 0;
};

// Without an installed sink, messages go to standard error and answer IDOK.
MessageBoxSink* InstallMessageBoxSink(MessageBoxSink* sink);
using ScopedMessageBoxSink = ScopedService<MessageBoxSink, InstallMessageBoxSink>;
