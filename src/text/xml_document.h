// An XML document: its wide text and an index of its elements built in one pass. The index
// holds positions only (never copies of text): per element its start, length, tag lengths,
// depth and links to parent, first child and siblings. Ill-formed markup never stops the pass:
// the first problem becomes the Result message and the tree is repaired.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "text/xml_tokenizer.h"

namespace kx::text {

// Bits of ElementRecord::FlagsLevel above the 16 level bits.
inline constexpr std::uint32_t LevelMask = 0xFFFF;
inline constexpr std::uint32_t FirstChild = 0x80000;    // its parent's first child
inline constexpr std::uint32_t Unended = 0x100000;      // its end tag never came
inline constexpr std::uint32_t StrayEndTag = 0x200000;  // a stray end tag or bad markup inside
inline constexpr std::uint32_t IllFormed = 0x800000;    // document record: not well-formed

struct ElementRecord {
  std::int32_t Start;        // position of the element's "<"
  std::int32_t Length;       // to the end of its end tag (start tag only when there is none)
  std::uint32_t TagLengths;  // low 22 bits: start tag; high 10 bits: end tag (0: none)
  std::uint32_t FlagsLevel;  // low 16 bits: nesting level; above: the flags
  std::int32_t Parent;       // 0: the document record
  std::int32_t Child;        // first child, 0 when none
  std::int32_t Next;         // next sibling, 0 for the last
  std::int32_t Prev;         // previous sibling; a first child's names the last child

  std::uint32_t StartTagLength() const { return TagLengths & 0x3FFFFF; }
  std::uint32_t EndTagLength() const { return TagLengths >> 22; }
  std::uint32_t Level() const { return FlagsLevel & LevelMask; }
  // A tag longer than its field is cut to the field's width (its low bits are kept); nothing
  // reads the lengths back except to show them.
  void SetTagLengths(std::int32_t startTag, std::int32_t endTag) {
    TagLengths = (static_cast<std::uint32_t>(startTag) & 0x3FFFFF) |
                 (static_cast<std::uint32_t>(endTag) << 22);
  }
};
static_assert(sizeof(ElementRecord) == 32, "eight 32-bit fields");

class XmlDocument {
 public:
  static constexpr std::int32_t kSegmentRecords = 65536;

  // An empty document: Result "Empty document", a zeroed document record, room for 8 records.
  XmlDocument();
  XmlDocument(XmlDocument&&) noexcept = default;
  XmlDocument& operator=(XmlDocument&&) noexcept = default;

  std::u16string Text;
  std::u16string Result;    // the load report and the first indexing message
  std::uint32_t Flags = 0;  // the encoding flags and IgnoreCase

  // Rebuilds the element index from Text; true when the document is well-formed.
  bool IndexDocument();
  // Grows the storage to at least want records (0: by half), one segment at a time.
  void ReserveElements(std::int32_t want);

  std::int32_t NextFree() const { return nextFree_; }
  std::int32_t Capacity() const { return capacity_; }
  ElementRecord& Element(std::int32_t i) {
    return segments_[static_cast<std::size_t>(i >> 16)][i & 0xFFFF];
  }
  const ElementRecord& Element(std::int32_t i) const {
    return segments_[static_cast<std::size_t>(i >> 16)][i & 0xFFFF];
  }

 private:
  std::int32_t IndexElements(ScanCursor& cursor);
  void CloseUnended(const std::vector<MarkupToken>& openTags,
                    const std::vector<std::int32_t>& openRecords, std::size_t from,
                    std::int32_t finalParent);
  std::int32_t SegmentSize(std::int32_t segment) const;

  std::int32_t nextFree_ = 0;
  std::int32_t capacity_ = 0;
  // Every segment but the last holds kSegmentRecords records; record i is in segment i >> 16.
  std::vector<std::unique_ptr<ElementRecord[]>> segments_;
};

}  // namespace kx::text
