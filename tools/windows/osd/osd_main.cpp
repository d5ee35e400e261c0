// OSD.exe: the on-screen display the agent shows the keyboard's mode with. One window, class
// "On Screen Display" and title "Kestrix OSD", takes a record by WM_COPYDATA and shows its
// text in its colour and font, top-most and click-through, for the record's display time.
// It ends on WM_DESTROY, which the agent posts when it ends.
#include <span>
#include <string>

#include "osd_record.h"

#include <windows.h>

namespace {

constexpr wchar_t kClassName[] = L"On Screen Display";
constexpr wchar_t kTitle[] = L"Kestrix OSD";
constexpr UINT_PTR kHideTimer = 1;
constexpr int kMargin = 12;
// The one colour the window never draws text in: it is see-through.
constexpr COLORREF kKeyColour = RGB(255, 0, 255);
constexpr COLORREF kKeyColourAlternative = RGB(0, 0, 1);

struct Display {
  kx::osd::OsdRequest request;
  HFONT font = nullptr;
  bool shown = false;
};
Display g_display;

COLORREF KeyFor(COLORREF text) {
  return text == kKeyColour ? kKeyColourAlternative : kKeyColour;
}

void Paint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  const COLORREF key = KeyFor(g_display.request.colour);
  HBRUSH background = CreateSolidBrush(key);
  FillRect(dc, &client, background);
  DeleteObject(background);
  if (g_display.shown) {
    HGDIOBJ oldFont = SelectObject(dc, g_display.font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, g_display.request.colour);
    const std::wstring text(g_display.request.text.begin(), g_display.request.text.end());
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
  }
  EndPaint(hwnd, &ps);
}

void Show(HWND hwnd, kx::osd::OsdRequest request) {
  if (g_display.font != nullptr) DeleteObject(g_display.font);
  const std::wstring face(request.fontFace.begin(), request.fontFace.end());
  g_display.font =
      CreateFontW(-request.fontHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                  DEFAULT_PITCH | FF_SWISS, face.empty() ? L"Arial" : face.c_str());
  g_display.request = std::move(request);
  g_display.shown = true;

  // Sized to the text, centred on the primary screen's work area.
  const std::wstring text(g_display.request.text.begin(), g_display.request.text.end());
  RECT measure{0, 0, 0, 0};
  HDC dc = GetDC(hwnd);
  HGDIOBJ oldFont = SelectObject(dc, g_display.font);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measure,
            DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, oldFont);
  ReleaseDC(hwnd, dc);
  const int width = measure.right - measure.left + 2 * kMargin;
  const int height = measure.bottom - measure.top + 2 * kMargin;
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - width) / 2;
  const int y = work.top + (work.bottom - work.top - height) / 2;

  SetLayeredWindowAttributes(hwnd, KeyFor(g_display.request.colour), 0, LWA_COLORKEY);
  SetWindowPos(hwnd, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
  SetTimer(hwnd, kHideTimer, g_display.request.displayMs, nullptr);  // a new text starts anew
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (data == nullptr || (data->lpData == nullptr && data->cbData != 0)) return FALSE;
      const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(data->lpData),
                                                data->cbData);
      std::optional<kx::osd::OsdRequest> request = kx::osd::DecodeOsdRecord(data->dwData, bytes);
      if (!request) return FALSE;
      Show(hwnd, std::move(*request));
      return TRUE;
    }
    case WM_TIMER:
      if (wParam == kHideTimer) {
        KillTimer(hwnd, kHideTimer);
        g_display.shown = false;
        ShowWindow(hwnd, SW_HIDE);
        return 0;
      }
      break;
    case WM_PAINT:
      Paint(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // clicks go to the windows below
    case WM_DESTROY:
      // Posted by the agent as it ends, or the window really going: either way the program
      // ends.
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // One display: a second start finds the first one's window and ends.
  if (FindWindowW(kClassName, kTitle) != nullptr) return 0;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExW(&windowClass)) return 1;
  HWND hwnd = CreateWindowExW(
      WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
      kClassName, kTitle, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
  if (hwnd == nullptr) return 1;
  SetLayeredWindowAttributes(hwnd, kKeyColour, 0, LWA_COLORKEY);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  if (g_display.font != nullptr) DeleteObject(g_display.font);
  return 0;
}
