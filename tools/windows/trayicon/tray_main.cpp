// trayicon.exe: the keyboard's icon in the notification area. Its hidden window
// "Kestrix_TrayIcon" learns from the agent whether the keyboard is present (WM_DEVICE_PLUG,
// wParam 1 or 0); the icon and its tip show it. The icon's menu opens the configuration
// program when it is installed and ends the agent (WM_CLOSE to "Kestrix_Hid") and itself.
#include <string>

#include "protocol/messages.h"
#include "tray_icons.h"

#include <windows.h>

#include <shellapi.h>

namespace {

constexpr wchar_t kClassName[] = L"Kestrix_TrayIcon_Window";
constexpr UINT kIconId = 1;
constexpr UINT kIconMessage = WM_APP + 1;
// Answers 1 while the keyboard is present, else 0 (for the product's tests and tools).
constexpr UINT kQueryPresence = WM_APP + 2;
constexpr UINT kMenuOpen = 1;
constexpr UINT kMenuExit = 2;
// The configuration program beside the tray program, and its window.
constexpr wchar_t kConfigExe[] = L"Kestrix.exe";

struct TrayState {
  bool present = false;
  bool iconShown = false;
  UINT taskbarCreated = 0;
  HICON presentIcon = nullptr;
  HICON absentIcon = nullptr;
};
TrayState g_tray;

std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

std::wstring ConfigProgramPath() {
  wchar_t module[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring path(module, length);
  path.erase(path.find_last_of(L'\\') + 1);
  return path + kConfigExe;
}

bool ConfigProgramInstalled() {
  const DWORD attributes = GetFileAttributesW(ConfigProgramPath().c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void UpdateIcon(HWND hwnd, DWORD action) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = hwnd;
  data.uID = kIconId;
  data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
  data.uCallbackMessage = kIconMessage;
  data.hIcon = g_tray.present ? g_tray.presentIcon : g_tray.absentIcon;
  const wchar_t* tip =
      g_tray.present ? L"Kestrix: keyboard connected" : L"Kestrix: keyboard not connected";
  lstrcpynW(data.szTip, tip, ARRAYSIZE(data.szTip));
  // Without a notification area (none yet, or none at all) the window still keeps the state.
  if (action == NIM_ADD || !g_tray.iconShown) {
    g_tray.iconShown = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  } else {
    Shell_NotifyIconW(NIM_MODIFY, &data);
  }
}

void RemoveIcon(HWND hwnd) {
  if (!g_tray.iconShown) return;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = hwnd;
  data.uID = kIconId;
  Shell_NotifyIconW(NIM_DELETE, &data);
  g_tray.iconShown = false;
}

void OpenConfigProgram() {
  // A running configuration program is brought forward rather than started twice.
  if (HWND config = FindWindowW(nullptr, Wide(kx::protocol::kConfigTitle).c_str())) {
    ShowWindow(config, SW_RESTORE);
    SetForegroundWindow(config);
    return;
  }
  if (ConfigProgramInstalled()) {
    ShellExecuteW(nullptr, L"open", ConfigProgramPath().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
}

void EndAgentAndTray(HWND hwnd) {
  if (HWND agent = FindWindowW(nullptr, Wide(kx::protocol::kAgentTitle).c_str())) {
    PostMessageW(agent, WM_CLOSE, 0, 0);
  }
  DestroyWindow(hwnd);
}

void ShowMenu(HWND hwnd) {
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  const bool canOpen = ConfigProgramInstalled() ||
                       FindWindowW(nullptr, Wide(kx::protocol::kConfigTitle).c_str()) != nullptr;
  AppendMenuW(menu, MF_STRING | (canOpen ? 0 : MF_GRAYED), kMenuOpen, L"&Open Kestrix");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kMenuExit, L"E&xit");
  POINT cursor;
  GetCursorPos(&cursor);
  SetForegroundWindow(hwnd);  // so the menu closes when the user clicks elsewhere
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd, nullptr);
  PostMessageW(hwnd, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kx::protocol::WM_DEVICE_PLUG) {
    g_tray.present = wParam != 0;
    UpdateIcon(hwnd, NIM_MODIFY);
    return 1;
  }
  if (message == g_tray.taskbarCreated && message != 0) {
    g_tray.iconShown = false;  // the notification area restarted: show the icon again
    UpdateIcon(hwnd, NIM_ADD);
    return 0;
  }
  switch (message) {
    case kQueryPresence:
      return g_tray.present ? 1 : 0;
    case kIconMessage:
      if (LOWORD(lParam) == WM_RBUTTONUP || LOWORD(lParam) == WM_CONTEXTMENU) ShowMenu(hwnd);
      if (LOWORD(lParam) == WM_LBUTTONDBLCLK) OpenConfigProgram();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kMenuOpen) OpenConfigProgram();
      if (LOWORD(wParam) == kMenuExit) EndAgentAndTray(hwnd);
      return 0;
    case WM_DESTROY:
      RemoveIcon(hwnd);
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const std::wstring title = Wide(kx::protocol::kTrayTitle);
  // One tray program per log-on: the agent starts it only when this window is missing.
  if (FindWindowW(nullptr, title.c_str()) != nullptr) return 0;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExW(&windowClass)) return 1;
  HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, title.c_str(), WS_POPUP, 0, 0, 1, 1,
                              nullptr, nullptr, instance, nullptr);
  if (hwnd == nullptr) return 1;
  g_tray.taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  g_tray.presentIcon = kx::tray::MakeKeyboardIcon(RGB(40, 200, 90));
  g_tray.absentIcon = kx::tray::MakeKeyboardIcon(RGB(130, 130, 130));
  UpdateIcon(hwnd, NIM_ADD);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (g_tray.presentIcon != nullptr) DestroyIcon(g_tray.presentIcon);
  if (g_tray.absentIcon != nullptr) DestroyIcon(g_tray.absentIcon);
  return 0;
}
