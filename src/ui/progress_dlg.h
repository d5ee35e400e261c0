// CProgressDlg: the small skinned window shown in the middle of the screen while profiles are
// written to the keyboard. It has the shape of its mask image and holds one CDMarker bar
// over its whole client area; Escape and Enter do not close it.
//
// The main window creates it from IDD_PROGRESS with itself as owner, places it centred by
// m_nWidth x m_nHeight and top-most, sets the text kShownTitle, moves m_marker with SetPos
// (0..100, painted at once) while it writes, and destroys it at the end.
#pragma once

#include <string>
#include <string_view>

#include "platform/dialog.h"
#include "platform/graphics.h"
#include "ui/gdi_objects.h"
#include "ui/marker.h"

namespace kx::ui {

class CProgressDlg : public Dialog {
 public:
  // The window text while it is created, and the one the main window gives it.
  static constexpr std::u16string_view kCreatedTitle = u"MORU_PROCESSBAR";
  static constexpr std::u16string_view kShownTitle = u"ZULQuarvexProgressbar";
  // The skin images, relative to the folder of the agent's executable.
  static constexpr std::u16string_view kMaskFile = u"skins\\updatebar_Mask.bmp";
  static constexpr std::u16string_view kEmptyBarFile = u"skins\\updatebar_n.jpg";
  static constexpr std::u16string_view kFullBarFile = u"skins\\updatebar_o.jpg";
  // The bar's size when neither bar image can be loaded.
  static constexpr SIZE kFallbackSize{320, 24};

  CProgressDlg() = default;
  ~CProgressDlg() override;

  // Creates the hidden window from the dialog template templateId, owned by parent.
  virtual bool Create(UINT templateId, Window* parent);

  bool PreTranslateMessage(const Msg& msg) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  std::u16string m_strText;  // the text the bar draws over itself
  HRGN m_hRgn = nullptr;     // the window's shape; the system owns it once set
  Bitmap m_bmpMask;
  Bitmap m_bmpBack;  // the empty bar, the window's background
  int m_nWidth = 0;  // size of the empty bar, by which the window is centred
  int m_nHeight = 0;
  CDMarker m_marker;

 protected:
  bool OnInitDialog() override;

 private:
  LRESULT OnCreate();
  // Loads the images, creates the bar and sizes the window to the full bar; false when the
  // window is left rectangular because no bar image could be loaded.
  bool LoadSkins();
  void OnPaint();
};

}  // namespace kx::ui
