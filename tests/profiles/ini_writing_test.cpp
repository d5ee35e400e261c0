// Writing: placement, untouched bytes, encodings kept, and atomic replacement.
#include <random>
#include <stdexcept>
#include <string>

#include "platform/sim/sim_files.h"
#include "profiles/ini/ini_document.h"
#include "profiles/ini/ini_file.h"
#include "profiles_fixture.h"

namespace kx::profiles::testing {
namespace {

class IniWritingTest : public ProfilesTest {
 protected:
  std::u16string File(std::u16string_view name) { return DataPath(name); }
};

std::string AsText(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST_F(IniWritingTest, AWriteChangesOneLineOrAddsOneWhereThePlatformDoes) {
  struct Case {
    const char* what;
    std::string_view before;
    std::u16string_view section, key, value;
    std::string_view after;
  };
  const Case cases[] = {
      {"new key after the section's last line, even a ';' line, before blank lines",
       "[A]\r\nx=1\r\n;note\r\n\r\n[B]\r\ny=2\r\n", u"A", u"z", u"3",
       "[A]\r\nx=1\r\n;note\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
      {"new key in an empty section", "[A]\r\n[B]\r\n", u"a", u"k", u"v", "[A]\r\nk=v\r\n[B]\r\n"},
      {"new section at the end, the last line terminated first", "[A]\nx=1", u"C", u"k", u"v",
       "[A]\nx=1\r\n[C]\r\nk=v\r\n"},
      {"update keeps the names' spelling and the line break", "[Sec]\n  Key = 1  \nother=2\n",
       u"SEC", u"KEY", u"2", "[Sec]\nKey=2\nother=2\n"},
      {"value case matters", "[A]\r\nk=v\r\n", u"A", u"k", u"V", "[A]\r\nk=V\r\n"},
      {"leading spaces dropped, trailing ones kept", "", u" B ", u" k ", u" v ",
       "[B ]\r\nk =v \r\n"},
      {"a line break ends the value", "[A]\r\n", u"A", u"one", u"x\r\ntwo=2", "[A]\r\none=x\r\n"},
      {"a line without '=' gets the value", "[A]\r\nbare\r\n", u"A", u"bare", u"1",
       "[A]\r\nbare=1\r\n"},
      {"the first of duplicates is written", "[A]\r\nk=1\r\nk=2\r\n[A]\r\nk=3\r\n", u"A", u"K",
       u"9", "[A]\r\nk=9\r\nk=2\r\n[A]\r\nk=3\r\n"},
      {"the empty section is the top of the file", "[A]\r\nx=1\r\n", u"", u"top", u"1",
       "top=1\r\n[A]\r\nx=1\r\n"},
      {"untouched lines stay byte for byte", "; c\r\n[A] \t\r\n  k = 1\r\n\r\n  [B]\nz=1", u"B",
       u"y", u"2", "; c\r\n[A] \t\r\n  k = 1\r\n\r\n  [B]\nz=1\r\ny=2\r\n"},
  };
  for (const Case& c : cases) {
    IniDocument doc = IniDocument::Parse(BytesOf(c.before));
    EXPECT_EQ(doc.SetText(c.section, c.key, c.value), IniDocument::Change::Changed) << c.what;
    EXPECT_EQ(AsText(doc.Serialize()), c.after) << c.what;
  }
}

TEST_F(IniWritingTest, WritingTheStoredValueChangesNothing) {
  IniDocument doc = IniDocument::Parse(BytesOf("[A]\r\n  k = v  \r\n"));
  EXPECT_EQ(doc.SetText(u"a", u"K", u"v"), IniDocument::Change::Unchanged);
  EXPECT_FALSE(doc.Modified());
  EXPECT_EQ(doc.SetText(u"A\n", u"k", u"v"), IniDocument::Change::Refused);
  EXPECT_EQ(doc.SetText(u"A", u"k\r", u"v"), IniDocument::Change::Refused);
  EXPECT_FALSE(doc.Modified());
}

TEST_F(IniWritingTest, AWrittenKeyNameWithEqualsReadsBackSplit) {
  IniDocument doc;
  doc.SetText(u"A", u"key=eq", u"v");
  EXPECT_EQ(doc.GetText(u"A", u"key", u"-"), u"eq=v");
  EXPECT_EQ(doc.GetText(u"A", u"key=eq", u"-"), u"-");
}

TEST_F(IniWritingTest, AFileTheAgentCreatesIsUtf16WithItsMark) {
  IniFile file(File(u"new.ini"));
  EXPECT_TRUE(file.WriteText(u"S", u"k", u"v"));
  EXPECT_EQ(ReadHostFile(HostData() / "new.ini"), Utf16Le(u"[S]\r\nk=v\r\n"));
  EXPECT_TRUE(file.WriteInt(u"S", u"n", -7));
  EXPECT_EQ(file.ReadInt(u"S", u"n", 0), static_cast<UINT>(-7));
  const std::uint8_t four[] = {1, 2, 3, 4};
  EXPECT_TRUE(file.WriteStruct(u"S", u"s", four));
  EXPECT_EQ(file.ReadText(u"S", u"s", u""), u"010203040A");

  IniFile empty(File(u"empty.ini"));
  EXPECT_TRUE(empty.EnsureFile());
  EXPECT_EQ(ReadHostFile(HostData() / "empty.ini"), Bytes({0xFF, 0xFE}));
  WriteHostFile(HostData() / "empty.ini", BytesOf("x=1"));
  EXPECT_TRUE(empty.EnsureFile());  // an existing file is left alone
  EXPECT_EQ(ReadHostFile(HostData() / "empty.ini"), BytesOf("x=1"));
}

TEST_F(IniWritingTest, AWriteKeepsTheFilesEncodingAndItsOtherContent) {
  Bytes be = {0xFE, 0xFF, 0, '[', 0, 'S', 0, ']', 0, '\n'};
  struct Case {
    const char* name;
    Bytes before;
    std::u16string value;
    Bytes after;
  };
  const Case cases[] = {
      {"le.ini", Utf16Le(u"; other\r\n[S]\r\nkeep=\u00E9\r\n"), u"\u20AC",
       Utf16Le(u"; other\r\n[S]\r\nkeep=\u00E9\r\nk=\u20AC\r\n")},
      {"utf8.ini", BytesOf("\xEF\xBB\xBF[S]\nkeep=\xC3\xA9\n"), u"\u20AC",
       BytesOf("\xEF\xBB\xBF[S]\nkeep=\xC3\xA9\nk=\xE2\x82\xAC\r\n")},
      {"be.ini", be, u"\u20AC", Bytes({0xFE, 0xFF, 0, '[', 0,    'S',  0, ']',  0, '\n',
                                       0,    'k',  0, '=', 0x20, 0xAC, 0, '\r', 0, '\n'})},
      // ANSI: 1252 extras round-trip; characters the page lacks become '?', one per unit.
      {"ansi.ini", BytesOf("[S]\r\nkeep=\x8C\x80\r\n"), u"\u0152\u20AC\u03A9\U0001F600",
       BytesOf("[S]\r\nkeep=\x8C\x80\r\nk=\x8C\x80???\r\n")},
      {"zero.ini", Bytes{}, u"v", BytesOf("[S]\r\nk=v\r\n")},
      // UTF-8 without a mark is ANSI to the platform; its bytes survive a rewrite.
      {"nomark.ini", BytesOf("[S]\r\nkeep=\xC3\xA9\r\n"), u"v",
       BytesOf("[S]\r\nkeep=\xC3\xA9\r\nk=v\r\n")},
  };
  for (const Case& c : cases) {
    WriteHostFile(HostData() / c.name, c.before);
    IniFile file(File(FromUtf8(c.name)));
    EXPECT_TRUE(file.WriteText(u"S", u"k", c.value)) << c.name;
    EXPECT_EQ(ReadHostFile(HostData() / c.name), c.after) << c.name;
  }
  EXPECT_EQ(IniFile(File(u"ansi.ini")).ReadText(u"S", u"k", u""), u"\u0152\u20AC???");
}

TEST_F(IniWritingTest, AnInterruptedWriteLeavesThePreviousFile) {
  Bytes before = Utf16Le(u"[S]\r\nk=old\r\n");
  WriteHostFile(HostData() / "f.ini", before);
  desktop_.Files().SetFaultHook([](sim::FileStep step, std::u16string_view) -> DWORD {
    if (step == sim::FileStep::Rename) throw std::runtime_error("the process dies");
    return 0;
  });
  EXPECT_THROW(IniFile(File(u"f.ini")).WriteText(u"S", u"k", u"new"), std::runtime_error);
  EXPECT_EQ(ReadHostFile(HostData() / "f.ini"), before);

  desktop_.Files().SetFaultHook([](sim::FileStep step, std::u16string_view) -> DWORD {
    return step == sim::FileStep::FlushTemp ? ERROR_DISK_FULL : 0;
  });
  EXPECT_FALSE(IniFile(File(u"f.ini")).WriteText(u"S", u"k", u"new"));
  EXPECT_EQ(ReadHostFile(HostData() / "f.ini"), before);
}

TEST_F(IniWritingTest, AFileThatCannotBeReadIsNeverReplaced) {
  Bytes before = Utf16Le(u"[S]\r\nk=old\r\n");
  WriteHostFile(HostData() / "locked.ini", before);
  desktop_.Files().SetFaultHook([](sim::FileStep step, std::u16string_view) -> DWORD {
    return step == sim::FileStep::Open ? ERROR_SHARING_VIOLATION : 0;
  });
  IniFile locked(File(u"locked.ini"));
  EXPECT_EQ(locked.ReadText(u"S", u"k", u"-"), u"-");
  EXPECT_FALSE(locked.WriteText(u"S", u"other", u"1"));
  desktop_.Files().SetFaultHook(nullptr);
  EXPECT_EQ(ReadHostFile(HostData() / "locked.ini"), before);

  std::filesystem::create_directories(HostData() / "dir.ini");
  EXPECT_FALSE(IniFile(File(u"dir.ini")).WriteText(u"S", u"k", u"v"));
  // A missing folder or a relative path: nothing is read or written.
  EXPECT_FALSE(IniFile(File(u"nofolder\\x.ini")).WriteText(u"S", u"k", u"v"));
  EXPECT_FALSE(IniFile(u"relative.ini").WriteText(u"S", u"k", u"v"));
  EXPECT_FALSE(std::filesystem::exists(HostData() / "nofolder"));
}

TEST_F(IniWritingTest, AnEditReadsOnceAndReplacesTheFileOnce) {
  int replacements = 0;
  desktop_.Files().SetFaultHook([&](sim::FileStep step, std::u16string_view) -> DWORD {
    if (step == sim::FileStep::Rename) ++replacements;
    return 0;
  });
  IniEdit edit(File(u"batch.ini"));
  for (int i = 0; i < 25; ++i)
    edit.WriteInt(u"S", u"k" + Widen(std::to_string(i)), i);
  EXPECT_EQ(edit.ReadInt(u"S", u"k24", 0), 24u);  // reads see the writes before the commit
  EXPECT_FALSE(std::filesystem::exists(HostData() / "batch.ini"));
  EXPECT_TRUE(edit.Commit());
  EXPECT_EQ(replacements, 1);
  // A commit with nothing changed does not touch the file.
  IniEdit again(File(u"batch.ini"));
  again.WriteInt(u"S", u"k3", 3);
  EXPECT_TRUE(again.Commit());
  EXPECT_EQ(replacements, 1);
}

// Writes applied in memory must leave what the same writes leave one file replacement at a
// time: after every write, the file read back answers every query as the edited copy does.
TEST_F(IniWritingTest, AnEditReadsBackWhatTheFileWillHold) {
  // Characters an 8-bit file cannot hold read back within the edit as the file stores them,
  // so a batch never sees a value that the file does not have.
  struct Case {
    const char* name;
    Bytes before;
    std::u16string value;
    std::u16string read;
  };
  const Case cases[] = {
      {"ansi.ini", BytesOf("[S]\r\n"), u"A\u2028\u03A9\u20AC", u"A??\u20AC"},
      {"utf8.ini", BytesOf("\xEF\xBB\xBF[S]\r\n"), u"A\xD83D", u"A\uFFFD"},
      {"le.ini", Utf16Le(u"[S]\r\n"), u"A\xD83D\u2028", u"A\xD83D\u2028"},
  };
  for (const Case& c : cases) {
    WriteHostFile(HostData() / c.name, c.before);
    IniEdit edit(File(FromUtf8(c.name)));
    edit.WriteText(u"S", u"k", c.value);
    EXPECT_EQ(edit.ReadText(u"S", u"k", u""), c.read) << c.name;
    EXPECT_TRUE(edit.Commit()) << c.name;
    EXPECT_EQ(IniFile(File(FromUtf8(c.name))).ReadText(u"S", u"k", u""), c.read) << c.name;
  }
}

TEST_F(IniWritingTest, ABatchOfWritesEqualsTheWritesOneByOne) {
  const std::vector<std::string> pool = {"[A]",     "[ a ]", "[B]x", "[]",  "[C",      "k=1",
                                         " K = 2 ", "k",     ";k=3", "=e",  "q=\"v\"", "",
                                         "  ",      "x==y",  "[b]",  "z=\t"};
  const std::vector<std::string> breaks = {"\r\n", "\n", "\r", ""};
  const std::u16string names[] = {u"A", u"a", u"B", u"b", u"C", u"", u"new", u" A "};
  const std::u16string keys[] = {u"k", u"K", u"", u"x", u";k", u"q", u"new", u"z", u"[D]"};
  const std::u16string values[] = {u"1", u"v", u" w ", u"\"q\"", u"", u"k=v", u"x\ny"};
  std::mt19937 random(12345);
  auto pick = [&](const auto& list) { return list[random() % std::size(list)]; };
  for (int round = 0; round < 200; ++round) {
    std::string text;
    for (int line = random() % 8; line > 0; --line)
      text += pick(pool) + pick(breaks);
    IniDocument edited = IniDocument::Parse(BytesOf(text));
    for (int write = 0; write < 6; ++write) {
      Bytes before = edited.Serialize();
      IniDocument oneByOne = IniDocument::Parse(before);
      std::u16string section = pick(names), key = pick(keys), value = pick(values);
      edited.SetText(section, key, value);
      oneByOne.SetText(section, key, value);
      ASSERT_EQ(edited.Serialize(), oneByOne.Serialize()) << text;
      IniDocument reread = IniDocument::Parse(edited.Serialize());
      for (const auto& s : names) {
        for (const auto& k : keys) {
          ASSERT_EQ(reread.GetText(s, k, u"-"), edited.GetText(s, k, u"-")) << text;
        }
      }
    }
  }
}

}  // namespace
}  // namespace kx::profiles::testing
