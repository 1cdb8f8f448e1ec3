#include "windows/conformance/message_box_watcher.h"

namespace {

constexpr DWORD kPollMs = 10;
constexpr DWORD kCloseWaitMs = 5000;

WString WindowText(HWND window) {
  WCHAR text[8192];
  const int length = GetWindowTextW(window, text, static_cast<int>(sizeof text / sizeof text[0]));
  return WString(text, length > 0 ? static_cast<size_t>(length) : 0);
}

WString ClassName(HWND window) {
  WCHAR name[64];
  const int length = GetClassNameW(window, name, static_cast<int>(sizeof name / sizeof name[0]));
  return WString(name, length > 0 ? static_cast<size_t>(length) : 0);
}

// The parts of a message box: its text, the icon it shows and its visible buttons.
struct BoxParts {
  WString text;
  HICON icon = nullptr;
  std::vector<int> buttons;
};

BOOL CALLBACK CollectPart(HWND child, LPARAM parameter) {
  BoxParts& parts = *reinterpret_cast<BoxParts*>(parameter);
  const WString kind = ClassName(child);
  const bool visible = (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) != 0;
  if (CompareStringOrdinal(kind.c_str(), -1, L"Static", -1, TRUE) == CSTR_EQUAL) {
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      if (visible) parts.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    } else if (parts.text.empty()) {
      parts.text = WindowText(child);
    }
  } else if (CompareStringOrdinal(kind.c_str(), -1, L"Button", -1, TRUE) == CSTR_EQUAL && visible) {
    parts.buttons.push_back(GetDlgCtrlID(child));
  }
  return TRUE;
}

// The MB_ bits that the box's icon and buttons stand for; 0xF in the button bits for anything but
// a lone OK button, 0xF0 in the icon bits for an icon that is none of the system's four.
UINT TypeOf(const BoxParts& parts) {
  UINT icon = 0;
  if (parts.icon != nullptr) {
    icon = 0xF0;
    const struct {
      LPCWSTR id;
      UINT type;
    } known[] = {{IDI_HAND, MB_ICONHAND},
                 {IDI_QUESTION, MB_ICONQUESTION},
                 {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                 {IDI_ASTERISK, MB_ICONASTERISK}};
    for (const auto& candidate : known) {
      if (LoadIconW(nullptr, candidate.id) == parts.icon) icon = candidate.type;
    }
  }
  const UINT buttons = parts.buttons == std::vector<int>{IDOK} ? MB_OK : 0xF;
  return icon | buttons;
}

struct Search {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindMessageBox(HWND window, LPARAM parameter) {
  Search& search = *reinterpret_cast<Search*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  // A box becomes visible once its dialog has set its text and buttons up.
  if (process != search.process || ClassName(window) != L"#32770" || !IsWindowVisible(window))
    return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher() : thread_([this] { Watch(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
  stopping_ = true;
  thread_.join();
}

std::vector<ShownMessage> MessageBoxWatcher::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<ShownMessage> taken;
  taken.swap(shown_);
  return taken;
}

void MessageBoxWatcher::Watch() {
  while (!stopping_) {
    Search search{GetCurrentProcessId(), nullptr};
    EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) {
      Dismiss(search.found);
    } else {
      Sleep(kPollMs);
    }
  }
}

void MessageBoxWatcher::Dismiss(HWND box) {
  BoxParts parts;
  EnumChildWindows(box, CollectPart, reinterpret_cast<LPARAM>(&parts));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.push_back({parts.text, WindowText(box), TypeOf(parts)});
  }
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  for (DWORD waited = 0; IsWindow(box) && waited < kCloseWaitMs; waited += kPollMs) Sleep(kPollMs);
}
