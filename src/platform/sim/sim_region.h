// The shape of a region in the simulated desktop: horizontal bands, each a run of rows with
// the same sorted, disjoint spans, neighbouring bands merged when their spans agree. The form
// is canonical, so two regions cover the same pixels exactly when they compare equal, however
// they were built.
#pragma once

#include <span>
#include <utility>
#include <vector>

#include "platform/types.h"

namespace kx::sim {

class RegionShape {
 public:
  struct Span {
    int left = 0;
    int right = 0;  // exclusive
    friend bool operator==(const Span&, const Span&) = default;
  };
  struct Band {
    int top = 0;
    int bottom = 0;  // exclusive
    std::vector<Span> spans;
    friend bool operator==(const Band&, const Band&) = default;
  };

  RegionShape() = default;
  // The union of the rectangles; empty and inverted ones add nothing.
  static RegionShape FromRects(std::span<const RECT> rects);
  // first combined with second by a CombineRgn mode (RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF,
  // RGN_COPY); nothing for another mode.
  static bool Combine(const RegionShape& first, const RegionShape& second, int mode,
                      RegionShape* result);

  bool Empty() const { return bands_.empty(); }
  bool Contains(int x, int y) const;
  RECT Bounds() const;
  // NULLREGION, SIMPLEREGION (one rectangle) or COMPLEXREGION.
  int Kind() const;
  // One rectangle per span of every band, top to bottom, left to right.
  std::vector<RECT> Rects() const;

  friend bool operator==(const RegionShape&, const RegionShape&) = default;

 private:
  // Appends the rows [top, bottom) with these spans, merging with the last band when it
  // touches and has the same spans.
  void AppendBand(int top, int bottom, std::vector<Span> spans);

  std::vector<Band> bands_;
};

}  // namespace kx::sim
