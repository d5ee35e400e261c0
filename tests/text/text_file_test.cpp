#include "text/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/platform.h"
#include "sim_fixture.h"
#include "support/bytes.h"

namespace kx::text {
namespace {

using testing::Bytes;

class LoadTextFileTest : public testing::SimDesktopTest {
 protected:
  struct Loaded {
    bool ok;
    std::u16string text;
    std::u16string result;
    std::uint32_t flags;
  };
  Loaded Load(const std::u16string& path, std::uint32_t flags = 0) {
    Loaded l{false, u"stale", u"", flags};
    l.ok = LoadTextFile(path, l.text, &l.result, &l.flags);
    return l;
  }
  Loaded LoadBytes(const std::vector<std::uint8_t>& bytes, std::uint32_t flags = 0) {
    return Load(WriteFile("file.txt", bytes), flags);
  }
};

std::vector<std::uint8_t> operator+(std::vector<std::uint8_t> a,
                                    const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

using testsupport::Utf16Bytes;

TEST_F(LoadTextFileTest, ResultTextsAndFlags) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    std::u16string text;
    std::u16string result;
    std::uint32_t flags;
  };
  const std::string decl1252 = "<?xml version='1.0' encoding='windows-1252'?><a/>";
  ASSERT_EQ(decl1252.size(), 49u);
  const Case cases[] = {
      {"empty", {}, u"", u"ANSI 0 length ", 0},
      {"only the UTF-8 mark", {0xEF, 0xBB, 0xBF}, u"", u"UTF-8 BOM + 0 length ", Utf8Bom},
      {"UTF-8 mark and text",
       Bytes("\xEF\xBB\xBF"
             "a\xC3\xA9"),
       u"a\u00E9", u"UTF-8 BOM + length 3 to 2 wide chars ", Utf8Bom},
      {"declared 1252", Bytes(decl1252), u"<?xml version='1.0' encoding='windows-1252'?><a/>",
       u"windows-1252 length 49 to 49 wide chars ", 0},
      {"declared 1252, high byte", Bytes("<?xml version='1.0' encoding='windows-1252'?>\x80"),
       u"<?xml version='1.0' encoding='windows-1252'?>\u20AC",
       u"windows-1252 length 46 to 46 wide chars ", 0},
      {"leading tag means UTF-8", Bytes("<root>\xC3\xA9</root>"), u"<root>\u00E9</root>",
       u"UTF-8 length 15 to 14 wide chars ", 0},
      {"detected UTF-8",
       {0x61, 0x62, 0xC3, 0xA9},
       u"ab\u00E9",
       u"UTF-8 length 4 (used UTF-8 detection) to 3 wide chars ",
       0},
      {"not UTF-8: ANSI",
       {0x61, 0x62, 0xE9},
       u"ab\u00E9",
       u"ANSI length 3 (used UTF-8 detection) to 3 wide chars ",
       0},
      {"two nulls", Bytes(std::string("ab\0c\0d", 6)), u"abcd",
       u"UTF-8 length 6 (2 nulls removed) (used UTF-8 detection) to 4 wide chars ", 0},
      {"unknown declared name reads as ANSI", Bytes("<?xml version='1.0' encoding='bogus'?>\xE9"),
       u"<?xml version='1.0' encoding='bogus'?>\u00E9", u"bogus length 39 to 39 wide chars ", 0},
      {"declared utf-16 gives nothing", Bytes("<?xml version='1.0' encoding='utf-16'?>"), u"",
       u"utf-16 length 39 to 0 wide chars ", 0},
      {"odd byte of UTF-16 dropped",
       {0xFF, 0xFE, 0x41, 0x00, 0x42},
       u"A",
       u"UTF-16LE BOM + length 1 ",
       Utf16LeFile},
      {"UTF-16 nulls",
       {0xFE, 0xFF, 0x00, 0x41, 0x00, 0x00, 0x00, 0x42},
       u"AB",
       u"UTF-16BE BOM + length 3 (1 nulls removed) endian swap ",
       Utf16BeFile},
      {"UTF-32 mark reads as UTF-16LE",
       {0xFF, 0xFE, 0x00, 0x00, 0x41, 0x00, 0x00, 0x00},
       u"A",
       u"UTF-16LE BOM + length 3 (2 nulls removed) ",
       Utf16LeFile},
      {"half a mark",
       {0xEF, 0xBB},
       u"\u00EF\u00BB",
       u"ANSI length 2 (used UTF-8 detection) to 2 wide chars ",
       0},
  };
  for (const Case& c : cases) {
    Loaded l = LoadBytes(c.bytes);
    EXPECT_TRUE(l.ok) << c.what;
    EXPECT_EQ(l.text, c.text) << c.what;
    EXPECT_EQ(ToUtf8(l.result), ToUtf8(c.result)) << c.what;
    EXPECT_EQ(l.flags, c.flags) << c.what;
  }
}

TEST_F(LoadTextFileTest, Utf16FilesOfBothByteOrders) {
  std::u16string text;
  for (int i = 0; i < 600; ++i)
    text += static_cast<char16_t>(u'A' + i % 26 + (i % 7 == 0 ? 0x400 : 0));
  Loaded le = LoadBytes(Bytes("\xFF\xFE") + Utf16Bytes(text, false));
  EXPECT_TRUE(le.ok);
  EXPECT_EQ(le.text, text);
  EXPECT_EQ(le.result, u"UTF-16LE BOM + length 600 ");
  Loaded be = LoadBytes(Bytes("\xFE\xFF") + Utf16Bytes(text, true));
  EXPECT_TRUE(be.ok);
  EXPECT_EQ(be.text, text);
  EXPECT_EQ(be.result, u"UTF-16BE BOM + length 600 endian swap ");
  EXPECT_EQ(be.flags, Utf16BeFile);
}

TEST_F(LoadTextFileTest, EveryByteOrderMarkRoundTrips) {
  const std::u16string text = u"<a t='\u00E9\u20AC'>\U0001F600 \u4E2D</a>";
  for (const ByteOrderMark& mark : kByteOrderMarks) {
    std::vector<std::uint8_t> bytes(mark.bytes.begin(), mark.bytes.begin() + mark.length);
    if (mark.unitSize == 1) {
      std::string utf8 = ToUtf8(text);
      bytes.insert(bytes.end(), utf8.begin(), utf8.end());
    } else {
      bytes = bytes + Utf16Bytes(text, mark.flag == Utf16BeFile);
    }
    Loaded l = LoadBytes(bytes, IgnoreCase);
    EXPECT_TRUE(l.ok);
    EXPECT_EQ(l.text, text) << ToUtf8(mark.encodingName);
    EXPECT_EQ(l.flags, mark.flag | IgnoreCase);
    EXPECT_EQ(l.result.substr(0, mark.encodingName.size() + 7),
              std::u16string(mark.encodingName) + u" BOM + ");
  }
}

TEST_F(LoadTextFileTest, MissingFileKeepsTheCallersFlags) {
  Loaded l = Load(ProgramPath("absent.xml"), IgnoreCase | Utf16BeFile);
  EXPECT_FALSE(l.ok);
  EXPECT_EQ(l.text, u"");
  EXPECT_EQ(l.result, u"The system cannot find the file specified.");
  EXPECT_EQ(l.flags, IgnoreCase | Utf16BeFile);
  EXPECT_EQ(Load(u"C:\\No\\Such\\Folder\\a.xml").result,
            u"The system cannot find the path specified.");
}

TEST_F(LoadTextFileTest, StaleMarkFlagsFromAnEarlierFileAreCleared) {
  Loaded l = LoadBytes(Bytes("abc"), Utf16BeFile | Utf16LeFile | Utf8Bom | IgnoreCase);
  EXPECT_TRUE(l.ok);
  EXPECT_EQ(l.text, u"abc");
  EXPECT_EQ(l.flags, IgnoreCase);
}

TEST_F(LoadTextFileTest, OnlyTheFirst1024BytesAreExaminedForADeclaration) {
  const std::string decl = "<?xml version='1.0' encoding='koi8-r'?>";
  // Within the first 1024 bytes (after whitespace) the declaration counts.
  Loaded seen = LoadBytes(Bytes(std::string(900, ' ') + decl + "\xC1"));
  EXPECT_EQ(seen.text.back(), u'\u0430');
  EXPECT_EQ(seen.result.substr(0, 7), u"koi8-r ");
  // Behind them it does not: the file is judged by the UTF-8 check and read as ANSI.
  Loaded unseen = LoadBytes(Bytes(std::string(1024, ' ') + decl + "\xC1"));
  EXPECT_EQ(unseen.text.back(), u'\u00C1');
  EXPECT_EQ(unseen.result, u"ANSI length 1064 (used UTF-8 detection) to 1064 wide chars ");
}

TEST_F(LoadTextFileTest, DeclaredUtf32ReadsWholeUnitsOnly) {
  // A byte file that claims UTF-32: its bytes are taken four at a time, never past the end.
  const std::string body = "<?xml version='1.0' encoding='UTF-32'?><a/>!!";
  Loaded l = LoadBytes(Bytes(body));
  EXPECT_TRUE(l.ok);
  EXPECT_EQ(l.text.size(), body.size() / 4 * 2);  // every unit is above U+FFFF
  EXPECT_EQ(l.result, u"UTF-32 length 45 to 22 wide chars ");
}

TEST_F(LoadTextFileTest, FileTooLargeForA32BitSizeIsRefused) {
  std::u16string path = WriteFile("huge.bin", Bytes("x"));
  std::filesystem::resize_file(desktop_.HostProgramFolder() / "huge.bin", (1ull << 31) + 10);
  Loaded l = Load(path);
  EXPECT_FALSE(l.ok);
  EXPECT_EQ(l.text, u"");
  EXPECT_EQ(l.result, u"The file size exceeds the limit allowed and cannot be saved.");
}

// A file system whose one file delivers fewer bytes than its size promises.
class ShortReadFiles final : public FileSystem {
 public:
  ShortReadFiles(std::string content, std::int64_t size, std::size_t deliverable)
      : content_(std::move(content)), size_(size), deliverable_(deliverable) {}
  std::u16string ModulePath() const override { return u"C:\\a.exe"; }
  std::optional<std::u16string> RoamingAppDataFolder() override { return std::nullopt; }
  DWORD GetAttributes(std::u16string_view) const override { return FILE_ATTRIBUTE_NORMAL; }
  bool MakeDirectory(std::u16string_view) override { return false; }
  std::unique_ptr<FileStream> OpenRead(std::u16string_view) override {
    return std::make_unique<Stream>(*this);
  }
  std::optional<std::vector<std::uint8_t>> ReadAll(std::u16string_view) override { return {}; }
  bool WriteFileAtomically(std::u16string_view, std::span<const std::uint8_t>) override {
    return false;
  }

 private:
  class Stream final : public FileStream {
   public:
    explicit Stream(const ShortReadFiles& files) : files_(files) {}
    std::int64_t Size() override { return files_.size_; }
    bool Seek(std::int64_t offset) override {
      at_ = static_cast<std::size_t>(offset);
      return true;
    }
    std::size_t Read(void* buffer, std::size_t count) override {
      std::size_t n = std::min(count, files_.deliverable_ > at_ ? files_.deliverable_ - at_ : 0);
      std::memcpy(buffer, files_.content_.data() + at_, n);
      at_ += n;
      if (n < count) os::Errors().SetLastError(ERROR_READ_FAULT);
      return n;
    }

   private:
    const ShortReadFiles& files_;
    std::size_t at_ = 0;
  };
  std::string content_;
  std::int64_t size_;
  std::size_t deliverable_;
};

TEST_F(LoadTextFileTest, ShortReadsReportTheSystemMessage) {
  struct Case {
    const char* what;
    std::size_t deliverable;
    std::u16string result;
  };
  const Case cases[] = {
      {"first bytes short", 100, u"The system cannot read from the specified device."},
      {"content short", 1500, u"UTF-8 The system cannot read from the specified device."},
  };
  for (const Case& c : cases) {
    ShortReadFiles files("<a>" + std::string(1997, 'x'), 2000, c.deliverable);
    PlatformServices services = InstalledPlatform();
    services.files = &files;
    InstallPlatform(&services);
    std::u16string text = u"stale", result;
    std::uint32_t flags = IgnoreCase;
    EXPECT_FALSE(LoadTextFile(u"C:\\f.xml", text, &result, &flags)) << c.what;
    EXPECT_EQ(text, u"") << c.what;
    EXPECT_EQ(result, c.result) << c.what;
    EXPECT_EQ(flags, IgnoreCase) << c.what;  // given back, Reading cleared
    services.files = &desktop_.Files();
    InstallPlatform(&services);
  }
}

}  // namespace
}  // namespace kx::text
