#include "protocol/windows.h"

#include "platform/platform.h"
#include "platform/window_system.h"
#include "protocol/messages.h"

namespace kx::protocol {

HWND FindInnerWindow(std::u16string_view outer, std::u16string_view inner) {
  WindowSystem& windows = os::Windows();
  HWND top = windows.Find(u"", outer);
  return top == nullptr ? nullptr : windows.FindChild(top, inner);
}

int NotifyConfigWindow(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND inner = FindInnerWindow(kConfigTitle, kConfigTitle);
  if (inner == nullptr) return 0;
  os::Windows().Post(inner, message, wParam, lParam);
  return 1;
}

bool PostToTitle(std::u16string_view title, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = os::Windows().Find(u"", title);
  return window != nullptr && os::Windows().Post(window, message, wParam, lParam);
}

}  // namespace kx::protocol
