#include "picture/canvas.h"

#include <algorithm>
#include <cmath>

namespace kx::picture {

namespace {

constexpr int kSamples = 4;  // per axis, for the coverage of edge pixels

std::uint8_t Channel(Rgb c, int shift) {
  return static_cast<std::uint8_t>((c >> shift) & 0xFF);
}

Rgb Compose(double r, double g, double b) {
  auto clamp = [](double v) {
    return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L));
  };
  return (clamp(r) << 16) | (clamp(g) << 8) | clamp(b);
}

// Whether a point lies inside the rounded rectangle.
bool Inside(const Box& box, double radius, double x, double y) {
  if (x < box.left || x >= box.right || y < box.top || y >= box.bottom) return false;
  const double cx = std::clamp(x, box.left + radius, box.right - radius);
  const double cy = std::clamp(y, box.top + radius, box.bottom - radius);
  const double dx = x - cx;
  const double dy = y - cy;
  return dx * dx + dy * dy <= radius * radius;
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
  auto mix = [&](int shift) { return Channel(a, shift) * (1 - t) + Channel(b, shift) * t; };
  return Compose(mix(16), mix(8), mix(0));
}

Rgb Darker(Rgb colour, double amount) {
  return Mix(colour, 0x000000, amount);
}

Rgb Lighter(Rgb colour, double amount) {
  return Mix(colour, 0xFFFFFF, amount);
}

double Brightness(Rgb c) {
  return (0.299 * Channel(c, 16) + 0.587 * Channel(c, 8) + 0.114 * Channel(c, 0)) / 255.0;
}

Canvas::Canvas(int width, int height, Rgb background)
    : pixels_(width, height, sim::kAlphaMask | background) {}

void Canvas::Blend(int x, int y, Rgb colour, double coverage) {
  if (x < 0 || y < 0 || x >= pixels_.width || y >= pixels_.height || coverage <= 0) return;
  std::uint32_t& pixel = pixels_.At(x, y);
  pixel = sim::kAlphaMask | Mix(pixel & sim::kColourMask, colour, std::min(coverage, 1.0));
}

void Canvas::FillRoundRect(const Box& box, double radius, Rgb colour, double opacity) {
  radius = std::clamp(radius, 0.0, std::min(box.Width(), box.Height()) / 2);
  const int x0 = static_cast<int>(std::floor(box.left));
  const int y0 = static_cast<int>(std::floor(box.top));
  const int x1 = static_cast<int>(std::ceil(box.right));
  const int y1 = static_cast<int>(std::ceil(box.bottom));
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      // Pixels well inside are covered whole; only edges and corners are sampled.
      const bool interior = x >= box.left + radius && x + 1 <= box.right - radius && y >= box.top &&
                            y + 1 <= box.bottom;
      const bool middle = y >= box.top + radius && y + 1 <= box.bottom - radius && x >= box.left &&
                          x + 1 <= box.right;
      double coverage = 1;
      if (!interior && !middle) {
        int hits = 0;
        for (int sy = 0; sy < kSamples; ++sy) {
          for (int sx = 0; sx < kSamples; ++sx) {
            hits += Inside(box, radius, x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples);
          }
        }
        coverage = static_cast<double>(hits) / (kSamples * kSamples);
      }
      Blend(x, y, colour, coverage * opacity);
    }
  }
}

void Canvas::Line(double x0, double y0, double x1, double y1, double width, Rgb colour) {
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  const double length2 = dx * dx + dy * dy;
  const int left = static_cast<int>(std::floor(std::min(x0, x1) - width));
  const int right = static_cast<int>(std::ceil(std::max(x0, x1) + width));
  const int top = static_cast<int>(std::floor(std::min(y0, y1) - width));
  const int bottom = static_cast<int>(std::ceil(std::max(y0, y1) + width));
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      int hits = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double px = x + (sx + 0.5) / kSamples;
          const double py = y + (sy + 0.5) / kSamples;
          const double t =
              length2 == 0 ? 0 : std::clamp(((px - x0) * dx + (py - y0) * dy) / length2, 0.0, 1.0);
          const double ex = px - (x0 + t * dx);
          const double ey = py - (y0 + t * dy);
          hits += ex * ex + ey * ey <= width * width / 4;
        }
      }
      Blend(x, y, colour, static_cast<double>(hits) / (kSamples * kSamples));
    }
  }
}

}  // namespace kx::picture
