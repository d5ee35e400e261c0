#include "ui/marker.h"

#include <algorithm>

#include "platform/graphics_flags.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "ui/skin_image.h"

namespace kx::ui {

namespace {

POINT PointFromLParam(LPARAM lParam) {
  const auto bits = static_cast<std::uint32_t>(lParam);
  return POINT{static_cast<std::int16_t>(bits & 0xFFFF), static_cast<std::int16_t>(bits >> 16)};
}

}  // namespace

CDMarker::~CDMarker() {
  // Gone while the bar is still whole, so its last messages reach it.
  if (InstalledPlatform().windows != nullptr) DestroyWindowObject();
}

bool CDMarker::Create(const RECT& rect, Window* parent, std::u16string_view text, UINT id) {
  m_bTrack = 1;
  m_nMin = 0;
  m_nMax = 10;
  m_nPos = 0;
  m_bDragging = 0;
  m_strText = std::u16string(text);
  m_rcBar = rect;
  m_pParent = parent;
  WindowSpec spec;
  spec.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  spec.rect = rect;
  spec.parent = parent != nullptr ? parent->Handle() : nullptr;
  spec.id = id;
  return CreateWindowObject(spec);
}

void CDMarker::SetImages(const Bitmap& empty, const Bitmap& full, const RECT& rect) {
  WindowDc dc(Handle());
  CopyBitmapRect(m_bmpBack, dc.Get(), empty, rect.left, rect.top, rect.right, rect.bottom);
  CopyBitmapRect(m_bmpFill, dc.Get(), full, rect.left, rect.top, rect.right, rect.bottom);
}

void CDMarker::SetPos(int n) {
  if (n < m_nMin || n > m_nMax) n = m_nMin;
  m_nPos = n;
  // The owner calls this between blocking device commands while no messages are processed,
  // so the bar paints now rather than waiting for WM_PAINT.
  os::Windows().Invalidate(Handle(), nullptr, true);
  os::Windows().Update(Handle());
}

int CDMarker::FilledWidth() const {
  const std::int64_t width = m_rcBar.Width();
  // An empty range or a bar of no width shows the empty bar.
  if (m_nMax <= m_nMin || width <= 0) return 0;
  const std::int64_t filled =
      width * (std::int64_t{m_nPos} - m_nMin) / (std::int64_t{m_nMax} - m_nMin);
  return static_cast<int>(std::clamp<std::int64_t>(filled, 0, width));
}

int CDMarker::PosFromPoint(POINT point) const {
  WindowSystem& windows = os::Windows();
  POINT inParent = point;
  if (m_pParent != nullptr && m_pParent->Handle() != nullptr) {
    inParent = windows.ScreenToClient(m_pParent->Handle(), windows.ClientToScreen(Handle(), point));
  }
  const std::int64_t x = std::max(inParent.x, m_rcBar.left);
  const std::int64_t width = m_rcBar.Width();
  if (width <= 0) return m_nMin;
  std::int64_t pos = m_nMin + (std::int64_t{m_nMax} - m_nMin) * (x - m_rcBar.left) / width;
  pos = std::max<std::int64_t>(pos, m_nMin);
  pos = std::min<std::int64_t>(pos, m_nMax);
  return static_cast<int>(pos);
}

void CDMarker::Redraw() {
  os::Windows().Invalidate(Handle(), nullptr, true);
}

LRESULT CDMarker::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  WindowSystem& windows = os::Windows();
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_LBUTTONDOWN:
      if (m_bTrack) {
        windows.SetCapture(Handle());
        m_bDragging = 1;
      }
      break;
    case WM_MOUSEMOVE:
      if (m_bDragging) {
        m_nPos = PosFromPoint(PointFromLParam(lParam));
        Redraw();
      }
      break;
    case WM_LBUTTONUP: {
      // Every button-up moves the bar, whether or not a drag began on it.
      m_bDragging = 0;
      m_nPos = PosFromPoint(PointFromLParam(lParam));
      const LRESULT result = DefaultProc(message, wParam, lParam);
      windows.ReleaseCapture();
      Redraw();
      return result;
    }
    case WM_CAPTURECHANGED:
      // The drag goes on: later moves over the bar still move it until a button-up or a loss
      // of focus.
      if (m_bDragging) {
        windows.ReleaseCapture();
        Redraw();
      }
      break;
    case WM_KILLFOCUS: {
      const LRESULT result = DefaultProc(message, wParam, lParam);
      m_bDragging = 0;
      Redraw();
      return result;
    }
    default:
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

void CDMarker::OnPaint() {
  PaintDc paint(Handle());
  const int width = m_rcBar.Width();
  const int height = m_rcBar.Height();
  if (!paint || width <= 0 || height <= 0) return;
  Graphics& graphics = os::Graphics();

  // Everything is drawn off screen first, so the bar never shows one image without the other.
  MemoryDc canvas(paint.Get());
  Bitmap offscreen(graphics.CreateCompatibleBitmap(paint.Get(), width, height));
  if (!canvas || !offscreen) return;
  SelectedBitmap target(canvas.Get(), offscreen.Handle());
  if (!target) return;
  DrawBitmapOrFill(canvas.Get(), m_bmpBack, width, height, kEmptyColour);
  const int filled = FilledWidth();
  if (filled > 0) DrawBitmapOrFill(canvas.Get(), m_bmpFill, filled, height, kFullColour);

  graphics.SetBkMode(canvas.Get(), BKMODE_TRANSPARENT);
  if (!m_strText.empty()) {
    // The text rectangle is the bar's rectangle in the parent, as it always was: a bar placed
    // away from the parent's corner draws its text shifted by that much.
    RECT textRect = m_rcBar;
    graphics.DrawFormattedText(canvas.Get(), m_strText, &textRect, kTextFormat);
  }
  graphics.BitBlt(paint.Get(), 0, 0, width, height, canvas.Get(), 0, 0, SRCCOPY);
}

}  // namespace kx::ui
