// CDMarker: the skinned bar of the progress window. It draws an empty-bar image and, over it
// from the left edge, as much of a full-bar image as its position within its range asks for,
// with an optional text centred on top. The owner sets the position; the user can drag it
// with the left mouse button.
#pragma once

#include <string>
#include <string_view>

#include "platform/types.h"
#include "platform/window.h"
#include "ui/gdi_objects.h"

namespace kx::ui {

class CDMarker : public Window {
 public:
  // The text format of the bar: one line, centred both ways, no prefix, ellipsis at the end.
  static constexpr UINT kTextFormat = 0x8825;
  // Drawn in place of an image the bar has not been given.
  static constexpr COLORREF kEmptyColour = Rgb(58, 60, 66);
  static constexpr COLORREF kFullColour = Rgb(46, 139, 255);

  CDMarker() = default;
  ~CDMarker() override;

  // Creates the bar as a visible child of parent over rect (parent client coordinates), with
  // range 0..10, position 0 and dragging allowed. False when the window cannot be made.
  bool Create(const RECT& rect, Window* parent, std::u16string_view text, UINT id);
  // Takes copies of the rectangle rect of the two images; the images stay with the caller.
  void SetImages(const Bitmap& empty, const Bitmap& full, const RECT& rect);
  // Moves to n (a value outside the range moves to m_nMin) and repaints before returning.
  void SetPos(int n);
  // The position a point in the bar's client coordinates stands for.
  int PosFromPoint(POINT point) const;
  // How many pixels of the full bar the current position shows.
  int FilledWidth() const;

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  Bitmap m_bmpBack;      // the bar's own copy of the empty bar
  Bitmap m_bmpFill;      // the bar's own copy of the full bar
  BOOL m_bDragging = 0;  // the left button went down on the bar and the drag is running
  RECT m_rcBar;          // given at creation, in the parent's client coordinates
  Window* m_pParent = nullptr;
  int m_nMin = 0;
  int m_nMax = 10;
  int m_nPos = 0;
  BOOL m_bTrack = 0;  // dragging allowed
  std::u16string m_strText;

 private:
  void OnPaint();
  void Redraw();
};

}  // namespace kx::ui
