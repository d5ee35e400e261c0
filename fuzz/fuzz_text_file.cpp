// Reading a text file of arbitrary bytes in whatever encoding it marks or declares, and the
// conversion of arbitrary bytes from a named encoding. Invariants: a readable file is read
// (true, a report, no zero units left in the text, at most one byte-order-mark flag); a UTF-16
// file with a mark reads as its units; a conversion asked for its size and then done into
// exactly that room gives that size, and never writes past the room it is given.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "fuzz_input.h"
#include "fuzz_support.h"
#include "text/encoding_flags.h"
#include "text/encoding_names.h"
#include "text/text_convert.h"
#include "text/text_file.h"

namespace {

using namespace kx::text;

constexpr char16_t kPath[] = u"C:\\Program Files\\Kestrix\\fuzz.txt";

void CheckLoad(kx::sim::Desktop& desktop, std::uint32_t flagsIn,
               std::span<const std::uint8_t> bytes) {
  {
    std::ofstream out(desktop.HostProgramFolder() / "fuzz.txt", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }
  std::u16string text = u"stale";
  std::u16string result;
  std::uint32_t flags = flagsIn & ~Reading;
  KX_FUZZ_CHECK(LoadTextFile(kPath, text, &result, &flags));
  KX_FUZZ_CHECK(!result.empty());
  KX_FUZZ_CHECK((flags & Reading) == 0);
  KX_FUZZ_CHECK(std::find(text.begin(), text.end(), u'\0') == text.end());
  const std::uint32_t marks = flags & (Utf16LeFile | Utf16BeFile | Utf8Bom);
  if (!bytes.empty()) KX_FUZZ_CHECK(std::popcount(marks) <= 1);

  // A UTF-16 file with its mark: the units behind the mark, zero units removed.
  if (bytes.size() >= 2 && (marks & (Utf16LeFile | Utf16BeFile)) != 0) {
    const bool little = (marks & Utf16LeFile) != 0;
    std::u16string want;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const auto unit = static_cast<char16_t>(little ? bytes[i] | (bytes[i + 1] << 8)
                                                     : (bytes[i] << 8) | bytes[i + 1]);
      if (unit != 0) want += unit;
    }
    KX_FUZZ_CHECK(text == want);
  }
}

void CheckConvert(const std::u16string& encoding, std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  const bool utf32 = CodePageFromName(encoding) == CodePageUtf32;
  const auto units = static_cast<std::int32_t>(utf32 ? bytes.size() / 4 : bytes.size());
  // The source in a buffer of exactly its size, so a read past it is caught.
  auto source = std::make_unique<std::uint8_t[]>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), source.get());

  TextConverter sizing{u"UTF-16", encoding, source.get(), units, 0, false};
  const std::int32_t needed = ConvertText(sizing, nullptr);
  KX_FUZZ_CHECK(needed >= 0 && sizing.Capacity == needed);
  if (needed == 0) return;

  auto room = std::make_unique<char16_t[]>(static_cast<std::size_t>(needed));
  TextConverter full{u"UTF-16", encoding, source.get(), units, needed, false};
  KX_FUZZ_CHECK(ConvertText(full, room.get()) == needed);

  // Too little room: nothing past it is written (the buffer is exactly that small).
  const std::int32_t less = needed / 2;
  if (less > 0) {
    auto small = std::make_unique<char16_t[]>(static_cast<std::size_t>(less));
    TextConverter part{u"UTF-16", encoding, source.get(), units, less, false};
    const std::int32_t got = ConvertText(part, small.get());
    KX_FUZZ_CHECK(got >= 0 && got <= less);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kx::sim::Desktop& desktop = kx::fuzz::FuzzDesktop::Get().Desktop();
  kx::fuzz::FuzzInput in(data, size);
  const std::uint32_t flags = in.U32();
  const std::u16string encoding = in.Text();
  const std::span<const std::uint8_t> bytes = in.Rest();
  CheckLoad(desktop, flags, bytes);
  CheckConvert(encoding, bytes);
  return 0;
}
