#include "platform/sim/sim_region.h"

#include <gtest/gtest.h>

#include "platform/graphics_flags.h"

namespace kx::sim {
namespace {

int Area(const RegionShape& shape) {
  int area = 0;
  for (const RECT& r : shape.Rects())
    area += r.Width() * r.Height();
  return area;
}

TEST(RegionShape, IsCanonicalWhateverTheRectanglesItWasBuiltFrom) {
  // An L shape as two overlapping rectangles, as one-row strips, and in another order.
  const std::vector<RECT> twoRects = {{0, 0, 4, 2}, {0, 0, 2, 4}};
  std::vector<RECT> strips;
  for (int y = 3; y >= 0; --y)
    strips.push_back(RECT{0, y, y < 2 ? 4 : 2, y + 1});
  strips.push_back(RECT{1, 1, 1, 5});  // empty: adds nothing
  strips.push_back(RECT{3, 0, 2, 1});  // inverted: adds nothing

  const RegionShape a = RegionShape::FromRects(twoRects);
  const RegionShape b = RegionShape::FromRects(strips);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a.Rects(), (std::vector<RECT>{{0, 0, 4, 2}, {0, 2, 2, 4}}));
  EXPECT_EQ(a.Kind(), COMPLEXREGION);
  EXPECT_EQ(a.Bounds(), (RECT{0, 0, 4, 4}));
  EXPECT_EQ(Area(a), 12);
  EXPECT_TRUE(a.Contains(3, 1));
  EXPECT_FALSE(a.Contains(3, 2));
  EXPECT_EQ(RegionShape::FromRects(std::vector<RECT>{{1, 1, 3, 3}}).Kind(), SIMPLEREGION);
  EXPECT_EQ(RegionShape().Kind(), NULLREGION);
}

TEST(RegionShape, CombinesByEveryMode) {
  const std::vector<RECT> left = {{0, 0, 4, 4}};
  const std::vector<RECT> right = {{2, 2, 6, 6}};
  const RegionShape a = RegionShape::FromRects(left);
  const RegionShape b = RegionShape::FromRects(right);
  struct Case {
    int mode;
    int area;
    bool atOverlap;
  };
  for (const Case& c : {Case{RGN_AND, 4, true}, Case{RGN_OR, 28, true}, Case{RGN_XOR, 24, false},
                        Case{RGN_DIFF, 12, false}, Case{RGN_COPY, 16, true}}) {
    SCOPED_TRACE(c.mode);
    RegionShape result;
    ASSERT_TRUE(RegionShape::Combine(a, b, c.mode, &result));
    EXPECT_EQ(Area(result), c.area);
    EXPECT_EQ(result.Contains(3, 3), c.atOverlap);
  }
  RegionShape unchanged = a;
  EXPECT_FALSE(RegionShape::Combine(a, b, 9, &unchanged));
  EXPECT_EQ(unchanged, a);
  // OR of the pieces is the shape built in one go.
  RegionShape both;
  RegionShape::Combine(a, b, RGN_OR, &both);
  EXPECT_EQ(both, RegionShape::FromRects(std::vector<RECT>{{2, 2, 6, 6}, {0, 0, 4, 4}}));
}

}  // namespace
}  // namespace kx::sim
