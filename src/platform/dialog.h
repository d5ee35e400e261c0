// The modeless dialog of our framework: a window made from a dialog template record (style,
// size in dialog units, font) with an owner, that gets WM_CREATE and then WM_INITDIALOG
// (OnInitDialog), and turns Escape and Enter into Cancel and OK.
#pragma once

#include <string_view>

#include "platform/types.h"
#include "platform/window.h"

namespace kx {

// WM_COMMAND ids of the two keys a dialog answers.
inline constexpr UINT IDOK = 1;
inline constexpr UINT IDCANCEL = 2;

// A dialog template of the agent's resources.
struct DialogTemplate {
  UINT id = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  POINT position;  // dialog units, from the owner's client origin
  SIZE size;       // dialog units
  std::u16string_view caption;
  std::u16string_view fontFace;
  WORD pointSize = 8;
};

class Dialog : public Window {
 public:
  // The system's class name of dialog windows.
  static constexpr char16_t kClassName[] = u"#32770";

  // Creates the modeless dialog (hidden unless the template has WS_VISIBLE); false when the
  // window exists already or the creation failed, WM_CREATE answering -1 included.
  bool CreateIndirect(const DialogTemplate& dialogTemplate, Window* owner);

  // Pixels of a size in dialog units for the template's font: a horizontal unit is a quarter
  // of the font's average character width, a vertical one an eighth of its height.
  static SIZE DialogUnitsToPixels(SIZE units, WORD pointSize);

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Escape and Enter pressed in the dialog or one of its controls become IDCANCEL and IDOK.
  bool PreTranslateMessage(const Msg& msg) override;

 protected:
  // WM_INITDIALOG: true lets the system give the default focus.
  virtual bool OnInitDialog();
  // A modeless dialog ends by going away: both destroy the window.
  virtual void OnOK();
  virtual void OnCancel();
};

}  // namespace kx
