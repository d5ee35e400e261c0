// Text for pictures, drawn with FreeType from a DejaVu font of the system (the Debian package
// fonts-dejavu-core). Without the font a picture simply has no text.
#pragma once

#include <memory>
#include <string_view>

#include "picture/canvas.h"

namespace kx::picture {

class Font {
 public:
  // Loads the bold or the regular face; Usable() tells whether it could.
  explicit Font(bool bold);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  bool Usable() const;
  // Width in pixels of UTF-8 text at a size (pixels per em).
  double Measure(std::string_view text, int size) const;
  // Draws UTF-8 text with its baseline starting at (x, baseline).
  void Draw(Canvas& canvas, double x, double baseline, std::string_view text, int size,
            Rgb colour) const;
  // Draws text centred on x.
  void DrawCentred(Canvas& canvas, double x, double baseline, std::string_view text, int size,
                   Rgb colour) const;

 private:
  struct Face;
  std::unique_ptr<Face> face_;
};

}  // namespace kx::picture
