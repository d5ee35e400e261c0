#include "platform/dialog.h"

#include "platform/messages.h"
#include "platform/platform.h"

namespace kx {

namespace {

// Average character width and height of "MS Shell Dlg" at 8 points on a 96-dpi screen.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;
constexpr int kBasePointSize = 8;

int ScaleRounded(int value, int numerator, int denominator) {
  const std::int64_t product = std::int64_t{value} * numerator;
  const std::int64_t half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

}  // namespace

SIZE Dialog::DialogUnitsToPixels(SIZE units, WORD pointSize) {
  const int points = pointSize == 0 ? kBasePointSize : pointSize;
  const int baseX = ScaleRounded(kBaseUnitX, points, kBasePointSize);
  const int baseY = ScaleRounded(kBaseUnitY, points, kBasePointSize);
  return SIZE{ScaleRounded(units.cx, baseX, 4), ScaleRounded(units.cy, baseY, 8)};
}

bool Dialog::CreateIndirect(const DialogTemplate& dialogTemplate, Window* owner) {
  if (Handle() != nullptr) return false;
  WindowSystem& windows = os::Windows();
  const HWND ownerHandle = owner != nullptr ? owner->Handle() : nullptr;
  const POINT origin =
      ownerHandle != nullptr ? windows.ClientToScreen(ownerHandle, POINT{}) : POINT{};
  const SIZE offset = DialogUnitsToPixels(
      SIZE{dialogTemplate.position.x, dialogTemplate.position.y}, dialogTemplate.pointSize);
  const SIZE size = DialogUnitsToPixels(dialogTemplate.size, dialogTemplate.pointSize);

  WindowSpec spec;
  spec.className = kClassName;
  spec.title = std::u16string(dialogTemplate.caption);
  spec.style = dialogTemplate.style & ~WS_VISIBLE;
  spec.exStyle = dialogTemplate.exStyle;
  spec.rect = RECT{origin.x + offset.cx, origin.y + offset.cy, origin.x + offset.cx + size.cx,
                   origin.y + offset.cy + size.cy};
  spec.parent = ownerHandle;
  if (!CreateWindowObject(spec)) return false;

  windows.Send(Handle(), WM_INITDIALOG, 0, 0);
  if (Handle() != nullptr && (dialogTemplate.style & WS_VISIBLE) != 0) {
    windows.Show(Handle(), SW_SHOWNORMAL);
  }
  return Handle() != nullptr;
}

LRESULT Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog() ? 1 : 0;
    case WM_COMMAND:
      if ((wParam & 0xFFFF) == IDOK) {
        OnOK();
        return 0;
      }
      if ((wParam & 0xFFFF) == IDCANCEL) {
        OnCancel();
        return 0;
      }
      break;
    default:
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

bool Dialog::PreTranslateMessage(const Msg& msg) {
  if (msg.message != WM_KEYDOWN || Handle() == nullptr) return false;
  if (msg.wParam == VK_ESCAPE) {
    os::Windows().Send(Handle(), WM_COMMAND, IDCANCEL, 0);
    return true;
  }
  if (msg.wParam == VK_RETURN) {
    os::Windows().Send(Handle(), WM_COMMAND, IDOK, 0);
    return true;
  }
  return false;
}

bool Dialog::OnInitDialog() {
  return true;
}

void Dialog::OnOK() {
  DestroyWindowObject();
}

void Dialog::OnCancel() {
  DestroyWindowObject();
}

}  // namespace kx
