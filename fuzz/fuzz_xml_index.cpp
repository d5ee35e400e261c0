// The element index on arbitrary wide text. Invariants: every record lies inside the text and
// starts at a "<"; following the links from the document record reaches every record exactly
// once, in document order; parent, sibling and first-child links agree with one another; an
// element that was ended contains its children; indexing the same text again gives the same
// index.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "fuzz_support.h"
#include "text/encoding_flags.h"
#include "text/xml_document.h"

namespace {

using namespace kx::text;

void CheckRecord(const XmlDocument& doc, std::int32_t i) {
  const ElementRecord& e = doc.Element(i);
  const auto size = static_cast<std::int64_t>(doc.Text.size());
  KX_FUZZ_CHECK(e.Start >= 0 && e.Length > 0 && std::int64_t{e.Start} + e.Length <= size);
  KX_FUZZ_CHECK(doc.Text[static_cast<std::size_t>(e.Start)] == u'<');
  KX_FUZZ_CHECK(e.Parent >= 0 && e.Parent < i);
  KX_FUZZ_CHECK(e.Child == 0 || (e.Child > i && e.Child < doc.NextFree()));
  KX_FUZZ_CHECK(e.Next >= 0 && e.Next < doc.NextFree() && e.Next != i);
  KX_FUZZ_CHECK(e.Prev > 0 && e.Prev < doc.NextFree());
}

// Walks the children of parent (recursively, with an explicit stack), checking the links, and
// counts the records reached.
std::int32_t Walk(const XmlDocument& doc) {
  std::int32_t reached = 0;
  std::int32_t lastStart = -1;
  std::vector<std::int32_t> parents = {0};
  std::vector<std::int32_t> cursor = {doc.Element(0).Child};
  while (!parents.empty()) {
    const std::int32_t c = cursor.back();
    if (c == 0) {
      parents.pop_back();
      cursor.pop_back();
      continue;
    }
    const std::int32_t parent = parents.back();
    const ElementRecord& p = doc.Element(parent);
    const ElementRecord& e = doc.Element(c);
    KX_FUZZ_CHECK(++reached < doc.NextFree());
    KX_FUZZ_CHECK(e.Parent == parent);
    KX_FUZZ_CHECK(e.Start > lastStart);  // document order
    lastStart = e.Start;
    const bool first = p.Child == c;
    KX_FUZZ_CHECK(((e.FlagsLevel & FirstChild) != 0) == first);
    if (!first) KX_FUZZ_CHECK(doc.Element(e.Prev).Next == c);
    if (e.Next == 0) KX_FUZZ_CHECK(doc.Element(p.Child).Prev == c);  // the last child
    if (parent != 0 && (p.FlagsLevel & Unended) == 0) {
      KX_FUZZ_CHECK(e.Start > p.Start && e.Start + e.Length <= p.Start + p.Length);
    }
    cursor.back() = e.Next;
    parents.push_back(c);
    cursor.push_back(e.Child);
  }
  return reached;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kx::fuzz::FuzzInput in(data, size);
  XmlDocument doc;
  doc.Flags = (in.U8() & 1) != 0 ? IgnoreCase : 0;
  doc.Text = in.TextRest();
  doc.Result.clear();  // no load report
  const bool wellFormed = doc.IndexDocument();

  KX_FUZZ_CHECK(doc.NextFree() >= 1 && doc.NextFree() <= doc.Capacity());
  KX_FUZZ_CHECK(!doc.Result.empty() || wellFormed);
  for (std::int32_t i = 1; i < doc.NextFree(); ++i)
    CheckRecord(doc, i);
  KX_FUZZ_CHECK(Walk(doc) == doc.NextFree() - 1);
  if (wellFormed) KX_FUZZ_CHECK((doc.Element(0).FlagsLevel & IllFormed) == 0);

  // Indexing is a function of the text: a second pass gives the same records.
  std::vector<ElementRecord> records;
  for (std::int32_t i = 0; i < doc.NextFree(); ++i)
    records.push_back(doc.Element(i));
  const std::u16string result = doc.Result;
  doc.Result.clear();  // a report standing there is taken as the load report
  KX_FUZZ_CHECK(doc.IndexDocument() == wellFormed && doc.Result == result);
  KX_FUZZ_CHECK(static_cast<std::size_t>(doc.NextFree()) == records.size());
  for (std::int32_t i = 0; i < doc.NextFree(); ++i) {
    KX_FUZZ_CHECK(std::memcmp(&records[static_cast<std::size_t>(i)], &doc.Element(i),
                              sizeof(ElementRecord)) == 0);
  }
  return 0;
}
