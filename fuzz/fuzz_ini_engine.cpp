// The private-profile engine on arbitrary file bytes, then a run of writes (text, numbers,
// structs) and reads. Invariants:
// - parsing and serialising an untouched file gives its bytes back;
// - a write then a read of the same key gives the value back;
// - the file written reads exactly as the document in memory did (nothing is lost or changed
//   on the way to the disk), in the same encoding;
// - keys that were present and not written keep their values.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "fuzz_support.h"
#include "platform/text_util.h"
#include "profiles/ini/ini_document.h"
#include "profiles/ini/ini_encoding.h"
#include "profiles/ini/ini_text_rules.h"

namespace {

using kx::EqualsIgnoreAsciiCase;
using kx::profiles::IniDocument;
using kx::profiles::IniEncoding;
using kx::profiles::Trim;

constexpr char16_t kDefault[] = u"<default>";

struct Name {
  std::u16string section;
  std::u16string key;
};

bool SameName(const Name& a, const Name& b) {
  return EqualsIgnoreAsciiCase(Trim(a.section), Trim(b.section)) &&
         EqualsIgnoreAsciiCase(Trim(a.key), Trim(b.key));
}

// The text as the file will hold it: an 8-bit file cannot hold every character.
std::u16string Stored(IniEncoding encoding, std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  kx::profiles::AppendEncoded(encoding, text, bytes);
  return kx::profiles::DecodeText(encoding, bytes);
}

// A key that can be found again under its own name: the file can hold its names, a key name
// with "=" splits at it, and a line that starts with "[" reads as a section header.
bool Readable(IniEncoding encoding, const Name& name) {
  if (Stored(encoding, name.section) != name.section || Stored(encoding, name.key) != name.key) {
    return false;
  }
  const std::u16string_view key = Trim(name.key);
  return key.find(u'=') == std::u16string_view::npos && (key.empty() || key[0] != u'[');
}

// A value a text read returns exactly as written: printable ASCII, no spaces around it, no
// quotes around it, not longer than a read returns.
bool Plain(std::u16string_view value) {
  if (value.empty() || value.size() > kx::profiles::kMaxTextRead) return false;
  for (char16_t c : value) {
    if (c < 0x20 || c > 0x7E) return false;
  }
  if (value.front() == u' ' || value.back() == u' ') return false;
  const bool quoted = value.size() >= 2 && value.front() == value.back() &&
                      (value.front() == u'"' || value.front() == u'\'');
  return !quoted;
}

// Names come from the input, or (to make collisions likely) repeat one used before.
Name NextName(kx::fuzz::FuzzInput& in, const std::vector<Name>& used) {
  const std::uint8_t pick = in.U8();
  if (pick < 0x80 && !used.empty()) {
    Name name = used[pick % used.size()];
    if (pick & 0x40) name.key = in.Text();  // same section, another key
    return name;
  }
  Name name;
  name.section = in.Text();
  name.key = in.Text();
  return name;
}

void CheckSameReads(const IniDocument& a, const IniDocument& b, const Name& name) {
  KX_FUZZ_CHECK(a.GetText(name.section, name.key, kDefault) ==
                b.GetText(name.section, name.key, kDefault));
  KX_FUZZ_CHECK(a.GetInt(name.section, name.key, -7) == b.GetInt(name.section, name.key, -7));
  auto value = a.FindValue(name.section, name.key);
  const std::size_t structSize = value && value->size() >= 4 ? (value->size() - 2) / 2 : 12;
  std::vector<std::uint8_t> fromA(structSize, 0xA5), fromB(structSize, 0xA5);
  KX_FUZZ_CHECK(a.GetStruct(name.section, name.key, fromA) ==
                b.GetStruct(name.section, name.key, fromB));
  KX_FUZZ_CHECK(fromA == fromB);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kx::fuzz::FuzzDesktop::Get();  // the code pages
  kx::fuzz::FuzzInput in(data, size);
  const std::span<const std::uint8_t> file = in.Chunk();

  const IniDocument original = IniDocument::Parse(file);
  {
    // An untouched file comes back byte for byte (a UTF-16 file's odd last byte, which is no
    // character, aside).
    const std::vector<std::uint8_t> same = original.Serialize();
    const bool wide =
        original.Encoding() == IniEncoding::Utf16Le || original.Encoding() == IniEncoding::Utf16Be;
    const std::size_t kept = wide && file.size() % 2 == 1 ? file.size() - 1 : file.size();
    KX_FUZZ_CHECK(same.size() == kept && std::equal(same.begin(), same.end(), file.begin()));
  }

  IniDocument doc = original;
  std::vector<Name> used;
  std::vector<Name> written;
  for (int op = 0; op < 64 && !in.Empty(); ++op) {
    const std::uint8_t kind = in.U8() % 4;
    const Name name = NextName(in, used);
    used.push_back(name);
    if (kind == 3) continue;  // a read only, checked at the end

    IniDocument::Change change = IniDocument::Change::Refused;
    if (kind == 0) {
      const std::u16string value = in.Text();
      change = doc.SetText(name.section, name.key, value);
      if (change != IniDocument::Change::Refused && Readable(doc.Encoding(), name) &&
          Plain(value)) {
        KX_FUZZ_CHECK(doc.GetText(name.section, name.key, kDefault) == value);
      }
    } else if (kind == 1) {
      const auto number = static_cast<std::int32_t>(in.U32());
      change = doc.SetText(name.section, name.key, kx::Widen(std::to_string(number)));
      if (change != IniDocument::Change::Refused && Readable(doc.Encoding(), name)) {
        KX_FUZZ_CHECK(doc.GetInt(name.section, name.key, 0) == static_cast<kx::UINT>(number));
      }
    } else {
      const std::span<const std::uint8_t> bytes = in.Bytes(in.U16() % 1400);
      change = doc.SetStruct(name.section, name.key, bytes);
      if (change != IniDocument::Change::Refused && Readable(doc.Encoding(), name) &&
          !bytes.empty()) {
        std::vector<std::uint8_t> back(bytes.size());
        KX_FUZZ_CHECK(doc.GetStruct(name.section, name.key, back));
        KX_FUZZ_CHECK(std::equal(back.begin(), back.end(), bytes.begin(), bytes.end()));
      }
    }
    const bool breaksLine =
        (name.section + name.key).find_first_of(u"\r\n") != std::u16string::npos;
    KX_FUZZ_CHECK((change == IniDocument::Change::Refused) == breaksLine);
    if (change == IniDocument::Change::Changed) KX_FUZZ_CHECK(doc.Modified());
    written.push_back(name);
  }

  // What reaches the disk reads as the document did, in the file's own encoding.
  const std::vector<std::uint8_t> bytes = doc.Serialize();
  const IniDocument reread = IniDocument::Parse(bytes);
  // An 8-bit file whose first characters are the bytes of a byte-order mark ("\u00EF\u00BB\u00BF"
  // in a key name before any section) reads back as a marked file, on the platform as here:
  // the format cannot tell them apart.
  if (original.Encoding() == IniEncoding::Ansi &&
      kx::profiles::DetectEncoding(bytes).encoding != IniEncoding::Ansi) {
    return 0;
  }
  KX_FUZZ_CHECK(reread.Encoding() == original.Encoding());
  for (const Name& name : used)
    CheckSameReads(doc, reread, name);

  // Keys that were there and were not written keep their values.
  for (const Name& name : used) {
    if (!original.FindValue(name.section, name.key)) continue;
    bool touched = false;
    for (const Name& w : written)
      touched = touched || SameName(name, w);
    if (!touched) CheckSameReads(original, reread, name);
  }
  return 0;
}
