// A small drawing surface over the simulated desktop's pixels: anti-aliased rounded rectangles
// and blending, enough for the keyboard picture.
#pragma once

#include <cstdint>

#include "platform/sim/pixels.h"

namespace kx::picture {

// 0xRRGGBB.
using Rgb = std::uint32_t;

struct Box {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
};

Rgb Mix(Rgb a, Rgb b, double t);  // a at t = 0, b at t = 1
Rgb Darker(Rgb colour, double amount);
Rgb Lighter(Rgb colour, double amount);
// Perceived brightness, 0..1.
double Brightness(Rgb colour);

class Canvas {
 public:
  Canvas(int width, int height, Rgb background);

  // Covers the pixel at (x, y) with the colour, coverage 0..1 (out of bounds: nothing).
  void Blend(int x, int y, Rgb colour, double coverage);
  // A rectangle with rounded corners, its edges anti-aliased; opacity 0..1.
  void FillRoundRect(const Box& box, double radius, Rgb colour, double opacity = 1.0);
  // A straight line of the given width, anti-aliased.
  void Line(double x0, double y0, double x1, double y1, double width, Rgb colour);

  int Width() const { return pixels_.width; }
  int Height() const { return pixels_.height; }
  // Opaque pixels, ready for a PNG.
  const sim::Pixels& Pixels() const { return pixels_; }

 private:
  sim::Pixels pixels_;
};

}  // namespace kx::picture
