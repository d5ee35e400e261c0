#include "platform/sim/sim_region.h"

#include <algorithm>
#include <limits>

#include "platform/graphics_flags.h"

namespace kx::sim {

namespace {

using Spans = std::vector<RegionShape::Span>;

// Sorts spans and merges those that overlap or touch.
Spans Normalise(Spans spans) {
  std::sort(spans.begin(), spans.end(),
            [](const auto& a, const auto& b) { return a.left < b.left; });
  Spans out;
  for (const auto& s : spans) {
    if (!out.empty() && s.left <= out.back().right) {
      out.back().right = std::max(out.back().right, s.right);
    } else {
      out.push_back(s);
    }
  }
  return out;
}

bool Apply(int mode, bool inFirst, bool inSecond) {
  switch (mode) {
    case RGN_AND:
      return inFirst && inSecond;
    case RGN_OR:
      return inFirst || inSecond;
    case RGN_XOR:
      return inFirst != inSecond;
    case RGN_DIFF:
      return inFirst && !inSecond;
    default:
      return inFirst;  // RGN_COPY
  }
}

// Two sorted disjoint span lists combined: walk every edge of both and keep the stretches
// where the mode holds.
Spans CombineSpans(const Spans& a, const Spans& b, int mode) {
  std::vector<int> edges;
  for (const auto& s : a)
    edges.insert(edges.end(), {s.left, s.right});
  for (const auto& s : b)
    edges.insert(edges.end(), {s.left, s.right});
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  auto covers = [](const Spans& spans, int x) {
    auto it = std::upper_bound(spans.begin(), spans.end(), x,
                               [](int value, const auto& s) { return value < s.left; });
    return it != spans.begin() && x < std::prev(it)->right;
  };
  Spans out;
  for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
    if (!Apply(mode, covers(a, edges[i]), covers(b, edges[i]))) continue;
    if (!out.empty() && out.back().right == edges[i]) {
      out.back().right = edges[i + 1];
    } else {
      out.push_back({edges[i], edges[i + 1]});
    }
  }
  return out;
}

// The spans of the band that covers row y, or none.
const Spans* SpansAt(const std::vector<RegionShape::Band>& bands, int y) {
  auto it = std::upper_bound(bands.begin(), bands.end(), y,
                             [](int value, const auto& band) { return value < band.bottom; });
  return it != bands.end() && it->top <= y ? &it->spans : nullptr;
}

}  // namespace

void RegionShape::AppendBand(int top, int bottom, std::vector<Span> spans) {
  if (spans.empty() || bottom <= top) return;
  if (!bands_.empty() && bands_.back().bottom == top && bands_.back().spans == spans) {
    bands_.back().bottom = bottom;
    return;
  }
  bands_.push_back(Band{top, bottom, std::move(spans)});
}

RegionShape RegionShape::FromRects(std::span<const RECT> rects) {
  std::vector<RECT> sorted;
  std::vector<int> edges;
  for (const RECT& r : rects) {
    if (r.right <= r.left || r.bottom <= r.top) continue;
    sorted.push_back(r);
    edges.insert(edges.end(), {r.top, r.bottom});
  }
  std::sort(sorted.begin(), sorted.end(),
            [](const RECT& a, const RECT& b) { return a.top < b.top; });
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

  // Sweep the rows: the rectangles that cover each stretch between two edges are active.
  RegionShape shape;
  std::vector<RECT> active;
  std::size_t next = 0;
  for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
    const int top = edges[i];
    const int bottom = edges[i + 1];
    std::erase_if(active, [&](const RECT& r) { return r.bottom <= top; });
    while (next < sorted.size() && sorted[next].top <= top)
      active.push_back(sorted[next++]);
    Spans spans;
    for (const RECT& r : active)
      spans.push_back({r.left, r.right});
    shape.AppendBand(top, bottom, Normalise(std::move(spans)));
  }
  return shape;
}

bool RegionShape::Combine(const RegionShape& first, const RegionShape& second, int mode,
                          RegionShape* result) {
  if (mode < RGN_AND || mode > RGN_COPY) return false;
  std::vector<int> edges;
  for (const auto& b : first.bands_)
    edges.insert(edges.end(), {b.top, b.bottom});
  if (mode != RGN_COPY) {
    for (const auto& b : second.bands_)
      edges.insert(edges.end(), {b.top, b.bottom});
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  RegionShape shape;
  for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
    const Spans* a = SpansAt(first.bands_, edges[i]);
    const Spans* b = SpansAt(second.bands_, edges[i]);
    // Rows that only one side covers need no span walk (most rows of a region being grown
    // piece by piece).
    if (b == nullptr || a == nullptr) {
      const bool keepFirst = a != nullptr && mode != RGN_AND;
      const bool keepSecond = b != nullptr && (mode == RGN_OR || mode == RGN_XOR);
      if (keepFirst) shape.AppendBand(edges[i], edges[i + 1], *a);
      if (keepSecond) shape.AppendBand(edges[i], edges[i + 1], *b);
      continue;
    }
    shape.AppendBand(edges[i], edges[i + 1], CombineSpans(*a, *b, mode));
  }
  *result = std::move(shape);
  return true;
}

bool RegionShape::Contains(int x, int y) const {
  const Spans* spans = SpansAt(bands_, y);
  if (spans == nullptr) return false;
  return std::any_of(spans->begin(), spans->end(),
                     [&](const Span& s) { return s.left <= x && x < s.right; });
}

RECT RegionShape::Bounds() const {
  if (bands_.empty()) return RECT{};
  RECT r{std::numeric_limits<int>::max(), bands_.front().top, std::numeric_limits<int>::min(),
         bands_.back().bottom};
  for (const auto& band : bands_) {
    r.left = std::min(r.left, band.spans.front().left);
    r.right = std::max(r.right, band.spans.back().right);
  }
  return r;
}

int RegionShape::Kind() const {
  if (bands_.empty()) return NULLREGION;
  return bands_.size() == 1 && bands_.front().spans.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

std::vector<RECT> RegionShape::Rects() const {
  std::vector<RECT> out;
  for (const auto& band : bands_) {
    for (const auto& s : band.spans)
      out.push_back(RECT{s.left, band.top, s.right, band.bottom});
  }
  return out;
}

}  // namespace kx::sim
