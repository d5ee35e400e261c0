// Which collections our HidDevice.dll watches: the filter's vendor, product and used entries.
#include <gtest/gtest.h>

#include "hid_collections.h"

namespace kx::hid_device {
namespace {

DEVICE_FILTER KeyboardFilter(DWORD used) {
  DEVICE_FILTER filter{};
  filter.vendorId = 0x258A;
  filter.productId = 0x0090;
  filter.entryCount = used;
  for (DWORD i = 0; i < 10; ++i)
    filter.entries[i] = DEVICE_FILTER::Entry{i + 1, 0xFF00};
  return filter;
}

CollectionInfo Collection(std::uint16_t vendor, std::uint16_t product, std::uint16_t usage,
                          std::uint16_t page) {
  CollectionInfo info;
  info.vendorId = vendor;
  info.productId = product;
  info.usage = usage;
  info.usagePage = page;
  return info;
}

TEST(HidFilter, MatchesVendorProductAndAUsedEntry) {
  const struct {
    const char* name;
    DWORD used;
    CollectionInfo collection;
    bool matches;
  } cases[] = {
      {"usage 2 on the vendor page", 5, Collection(0x258A, 0x0090, 2, 0xFF00), true},
      {"the last used entry", 5, Collection(0x258A, 0x0090, 5, 0xFF00), true},
      {"an entry past the used ones", 5, Collection(0x258A, 0x0090, 6, 0xFF00), false},
      {"another usage page", 5, Collection(0x258A, 0x0090, 2, 0x0001), false},
      {"another vendor", 5, Collection(0x046D, 0x0090, 2, 0xFF00), false},
      {"another product", 5, Collection(0x258A, 0x0091, 2, 0xFF00), false},
      {"no entries used", 0, Collection(0x258A, 0x0090, 1, 0xFF00), false},
      {"a count above ten reads as ten", 0xFFFFFFFF, Collection(0x258A, 0x0090, 10, 0xFF00), true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Matches(KeyboardFilter(c.used), c.collection), c.matches) << c.name;
  EXPECT_FALSE(
      Matches(DEVICE_FILTER{}, Collection(0, 0, 0, 0)));  // the all-zero filter of a relink
}

}  // namespace
}  // namespace kx::hid_device
