#include "skin_art.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace kx::skins {

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr double kRadius = kBarHeight / 2.0;
constexpr double kRim = 2.5;  // width of the outline, in pixels

struct Colour {
  double r, g, b;
};

Colour Mix(Colour a, Colour b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

std::uint32_t ToPixel(Colour c) {
  auto channel = [](double v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0) + 0.5);
  };
  return sim::PixelRgb(channel(c.r), channel(c.g), channel(c.b));
}

// How far the centre of pixel (x, y) lies inside the pill; negative outside.
double Inside(int x, int y) {
  const double px = x + 0.5, py = y + 0.5;
  const double cx = std::clamp(px, kRadius, kBarWidth - kRadius);
  return kRadius - std::hypot(px - cx, py - kRadius);
}

// Paints the pill: the outline near its edge and the body inside, white outside.
sim::Pixels DrawPill(const std::function<Colour(int x, int y, double inside)>& body, Colour rim) {
  sim::Pixels out(kBarWidth, kBarHeight, kWhite);
  for (int y = 0; y < kBarHeight; ++y) {
    for (int x = 0; x < kBarWidth; ++x) {
      const double d = Inside(x, y);
      if (d < 0) continue;
      const Colour inner = body(x, y, d);
      // The outline blends into the body over its last pixel, so the edge does not look cut.
      out.At(x, y) = ToPixel(Mix(rim, inner, d - (kRim - 1)));
    }
  }
  return out;
}

}  // namespace

sim::Pixels DrawMask() {
  sim::Pixels out(kBarWidth, kBarHeight, kWhite);
  for (int y = 0; y < kBarHeight; ++y) {
    for (int x = 0; x < kBarWidth; ++x) {
      if (Inside(x, y) >= 0) out.At(x, y) = 0x000000;
    }
  }
  return out;
}

sim::Pixels DrawEmptyBar() {
  // A recessed graphite track: darker at the top, where the groove's shadow falls.
  const Colour top{24, 26, 32}, bottom{58, 63, 74}, rim{112, 120, 138};
  return DrawPill(
      [&](int, int y, double) { return Mix(top, bottom, static_cast<double>(y) / kBarHeight); },
      rim);
}

sim::Pixels DrawFullBar() {
  // A bright blue fill with a gloss on its upper part and slanted stripes.
  const Colour top{92, 214, 255}, bottom{10, 96, 210}, gloss{235, 250, 255}, rim{170, 230, 255};
  return DrawPill(
      [&](int x, int y, double) {
        const double t = static_cast<double>(y) / kBarHeight;
        Colour c = Mix(top, bottom, t);
        if (t < 0.42) c = Mix(c, gloss, 0.35 * (1.0 - t / 0.42));
        const bool stripe = ((x + y) / 14) % 2 == 0;
        return stripe ? Mix(c, Colour{255, 255, 255}, 0.10) : c;
      },
      rim);
}

}  // namespace kx::skins
