#include "ui/progress_dlg.h"

#include "platform/graphics_flags.h"
#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "text/language_file.h"
#include "ui/resources.h"
#include "ui/skin_image.h"

namespace kx::ui {

CProgressDlg::~CProgressDlg() {
  // Gone while the window object is still whole, so WM_DESTROY reaches this class.
  if (InstalledPlatform().windows != nullptr) DestroyWindowObject();
}

bool CProgressDlg::Create(UINT templateId, Window* parent) {
  const DialogTemplate* dialogTemplate = FindDialogTemplate(templateId);
  return dialogTemplate != nullptr && CreateIndirect(*dialogTemplate, parent);
}

bool CProgressDlg::PreTranslateMessage(const Msg& msg) {
  // Neither key closes the window.
  if (msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN)) {
    return true;
  }
  return Dialog::PreTranslateMessage(msg);
}

bool CProgressDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  m_marker.m_nMin = 0;
  m_marker.m_nMax = 100;
  return true;
}

LRESULT CProgressDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      if (Dialog::WindowProc(message, wParam, lParam) == -1) return -1;
      return OnCreate();
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything
    case WM_DESTROY: {
      const LRESULT result = Dialog::WindowProc(message, wParam, lParam);
      m_bmpMask.Reset();
      m_bmpBack.Reset();
      return result;
    }
    default:
      return Dialog::WindowProc(message, wParam, lParam);
  }
}

LRESULT CProgressDlg::OnCreate() {
  const bool skinned = LoadSkins();
  // The mask was made for the bar images; without them the window stays rectangular.
  m_hRgn = skinned ? RegionFromMask(m_bmpMask.Handle()) : nullptr;
  if (m_hRgn != nullptr && os::Graphics().SetWindowRgn(Handle(), m_hRgn, true) == 0) {
    os::Graphics().DeleteObject(m_hRgn);  // still ours when the system refused it
    m_hRgn = nullptr;
  }
  os::Windows().SetText(Handle(), kCreatedTitle);
  return 0;
}

bool CProgressDlg::LoadSkins() {
  const std::u16string folder = ModuleFolder();
  SIZE ignored;
  LoadSkinImage(folder + std::u16string(kMaskFile), m_bmpMask, &ignored);
  SIZE emptySize;
  const bool haveEmpty =
      LoadSkinImage(folder + std::u16string(kEmptyBarFile), m_bmpBack, &emptySize);
  Bitmap full;
  SIZE fullSize;
  const bool haveFull = LoadSkinImage(folder + std::u16string(kFullBarFile), full, &fullSize);
  {
    // The language file is read and indexed with the window, as at start-up; nothing is taken
    // from it.
    text::XmlDocument language;
    text::ReadLanguageFile(folder + std::u16string(text::kLanguageFileName), language);
  }

  // A missing bar image is drawn instead (CDMarker::kEmptyColour, kFullColour), at the size
  // of the other image, or at kFallbackSize when both are missing.
  if (!haveFull) fullSize = haveEmpty ? emptySize : kFallbackSize;
  if (!haveEmpty) emptySize = fullSize;
  m_nWidth = emptySize.cx;
  m_nHeight = emptySize.cy;

  m_strText.clear();
  const RECT bar{0, 0, fullSize.cx, fullSize.cy};
  m_marker.Create(bar, this, m_strText, 0);
  m_marker.SetImages(m_bmpBack, full, bar);
  os::Windows().SetWindowPos(Handle(), nullptr, 0, 0, fullSize.cx, fullSize.cy,
                             SWP_NOZORDER | SWP_NOACTIVATE);
  os::Windows().Invalidate(Handle(), nullptr, true);
  return haveEmpty || haveFull;
}

void CProgressDlg::OnPaint() {
  PaintDc paint(Handle());
  if (!paint) return;
  const RECT client = os::Windows().GetClientRect(Handle());
  DrawBitmapOrFill(paint.Get(), m_bmpBack, client.Width(), client.Height(), CDMarker::kEmptyColour);
}

}  // namespace kx::ui
