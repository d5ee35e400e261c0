#include "text/xml_document.h"

#include <algorithm>
#include <limits>

namespace kx::text {

XmlDocument::XmlDocument() {
  IndexDocument();
  Flags = 0;
}

bool XmlDocument::IndexDocument() {
  const std::u16string loadReport = Result;
  nextFree_ = 1;
  const std::size_t units = Text.size();
  ReserveElements(static_cast<std::int32_t>(
      std::min<std::size_t>(units / 64 + 8, std::numeric_limits<std::int32_t>::max())));
  Element(0) = ElementRecord{};

  if (units == 0) {
    Result = u"Empty document";
  } else if (units >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    // Positions are 32-bit; a text this long cannot be indexed.
    Element(0).FlagsLevel = IllFormed;
    Result = u"Document too large";
  } else {
    ScanCursor cursor(Text, Flags);
    std::int32_t root = IndexElements(cursor);
    Element(0).Length = static_cast<std::int32_t>(units);
    if (root == 0) {
      Result = u"No root element";
    } else {
      Element(0).Child = root;
      if (Element(root).Next != 0) Result = u"Root element has sibling";
    }
  }

  if (!loadReport.empty()) Result = Result.empty() ? loadReport : loadReport + u" " + Result;

  const ElementRecord& document = Element(0);
  return !segments_.empty() && (document.FlagsLevel & IllFormed) == 0 && document.Child != 0 &&
         Element(document.Child).Next == 0;
}

std::int32_t XmlDocument::SegmentSize(std::int32_t segment) const {
  if (capacity_ == 0) return 0;
  std::int32_t last = (capacity_ - 1) >> 16;
  if (segment < last) return kSegmentRecords;
  if (segment == last) return capacity_ - last * kSegmentRecords;
  return 0;
}

void XmlDocument::ReserveElements(std::int32_t want) {
  std::int64_t wanted = want == 0 ? nextFree_ + nextFree_ / 2 : want;
  if (capacity_ >= wanted) return;
  const std::int32_t s0 = capacity_ == 0 ? 0 : (capacity_ - 1) >> 16;
  std::int64_t s1 = (wanted - 1) >> 16;
  if (s1 > s0 + 1) {
    // One call adds at most one segment, and fills it.
    s1 = s0 + 1;
    wanted = (s1 + 1) * kSegmentRecords;
  }
  wanted = std::min<std::int64_t>(wanted, std::numeric_limits<std::int32_t>::max());
  const auto last = static_cast<std::size_t>(s1);

  if (segments_.capacity() <= last) segments_.reserve(2 * last + 4);
  if (segments_.size() <= last) segments_.resize(last + 1);

  const std::int32_t oldSize = SegmentSize(s0);
  if (s0 < s1 && oldSize < kSegmentRecords) {
    auto full = std::make_unique_for_overwrite<ElementRecord[]>(kSegmentRecords);
    if (oldSize > 0)
      std::copy_n(segments_[static_cast<std::size_t>(s0)].get(), oldSize, full.get());
    segments_[static_cast<std::size_t>(s0)] = std::move(full);
  }
  auto records = std::make_unique_for_overwrite<ElementRecord[]>(
      static_cast<std::size_t>(wanted - s1 * kSegmentRecords));
  if (s1 == s0 && oldSize > 0) std::copy_n(segments_[last].get(), oldSize, records.get());
  segments_[last] = std::move(records);
  capacity_ = static_cast<std::int32_t>(wanted);
}

}  // namespace kx::text
