// Our private-profile engine against the platform's own functions: the configuration program
// reads and writes the same files through GetPrivateProfileStringW/IntW/StructW and
// WritePrivateProfile*, so both must find the same values in the same bytes.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../platform/win32_test_support.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/text_util.h"
#include "profiles/ini/ini_file.h"

#include <windows.h>

namespace kx::win32::testing {
namespace {

using profiles::IniFile;

std::vector<std::uint8_t> Utf16Le(std::u16string_view text, bool mark = true) {
  std::vector<std::uint8_t> bytes;
  if (mark) bytes = {0xFF, 0xFE};
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}
std::vector<std::uint8_t> Narrow(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}
std::vector<std::uint8_t> Utf8WithMark(std::string_view text) {
  std::vector<std::uint8_t> bytes{0xEF, 0xBB, 0xBF};
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}

const wchar_t* W(const std::u16string& s) {
  return reinterpret_cast<const wchar_t*>(s.c_str());
}

// The platform's reads, with the buffer the agent uses (2048 characters).
std::u16string PlatformText(const std::u16string& file, const std::u16string& section,
                            const std::u16string& key, const std::u16string& dflt) {
  wchar_t buffer[2048] = {};
  const ::DWORD n = ::GetPrivateProfileStringW(W(section), W(key), W(dflt), buffer, 2048, W(file));
  return std::u16string(reinterpret_cast<const char16_t*>(buffer), n);
}
UINT PlatformInt(const std::u16string& file, const std::u16string& section,
                 const std::u16string& key, int dflt) {
  return ::GetPrivateProfileIntW(W(section), W(key), dflt, W(file));
}
bool PlatformStruct(const std::u16string& file, const std::u16string& section,
                    const std::u16string& key, std::vector<std::uint8_t>& out) {
  return ::GetPrivateProfileStructW(W(section), W(key), out.data(), static_cast<UINT>(out.size()),
                                    W(file)) != FALSE;
}

class IniConformance : public ::testing::Test {
 protected:
  // Each case gets a file of its own: the platform keeps recently read files cached by name.
  std::u16string Write(const std::vector<std::uint8_t>& bytes) {
    const std::u16string path = folder_.File(u"case" + Widen(std::to_string(++count_)) + u".ini");
    EXPECT_TRUE(os::Files().WriteFileAtomically(path, bytes));
    return path;
  }
  ScratchFolder folder_;
  int count_ = 0;
};

struct TextCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  std::u16string section;
  std::u16string key;
  std::u16string dflt;
};

TEST_F(IniConformance, StringReadsAgree) {
  const std::u16string k5000(5000, u'x');
  const TextCase cases[] = {
      {"plain", Utf16Le(u"[Setting]\r\nProfile=3\r\n"), u"Setting", u"Profile", u"d"},
      {"missing key", Utf16Le(u"[Setting]\r\nProfile=3\r\n"), u"Setting", u"Other", u"dflt   "},
      {"missing section", Utf16Le(u"[Setting]\r\nProfile=3\r\n"), u"Nope", u"Profile", u"'q'"},
      {"case of names", Utf16Le(u"[SeTTing]\r\nPROFILE=4\r\n"), u"setting", u"profile", u""},
      {"non-ASCII case", Utf16Le(u"[\u00C9t\u00E9]\r\nk=1\r\n"), u"\u00E9T\u00C9", u"k", u"none"},
      {"no comment syntax", Utf16Le(u"[A]\r\n;k=commented\r\n"), u"A", u";k", u""},
      {"line without =", Utf16Le(u"[A]\r\nbare\r\n"), u"A", u"bare", u"dflt"},
      {"first = splits", Utf16Le(u"[A]\r\nw==lead\r\n"), u"A", u"w", u""},
      {"trimmed around", Utf16Le(u"[A]\r\n  k1  =  spaced \t\r\n"), u" A ", u" k1 ", u""},
      {"quotes removed", Utf16Le(u"[A]\r\nq=\" in \"\r\n"), u"A", u"q", u""},
      {"lone quote kept", Utf16Le(u"[A]\r\nq=\"open\r\n"), u"A", u"q", u""},
      {"empty value", Utf16Le(u"[A]\r\nk=\r\n"), u"A", u"k", u"dflt"},
      {"duplicates: first wins", Utf16Le(u"[A]\r\nk=1\r\nK=2\r\n[A]\r\nk=3\r\nz=9\r\n"), u"A", u"k",
       u""},
      {"later duplicate section hidden", Utf16Le(u"[A]\r\nk=1\r\n[A]\r\nz=9\r\n"), u"A", u"z",
       u"no"},
      {"header to last ]", Utf16Le(u"[a]b]\r\nk=v\r\n"), u"a]b", u"k", u""},
      {"LF only", Utf16Le(u"[A]\nk=lf\n"), u"A", u"k", u""},
      {"CR only", Utf16Le(u"[A]\rk=cr\r"), u"A", u"k", u""},
      {"long value cut", Utf16Le(u"[A]\r\nk=" + k5000 + u"\r\n"), u"A", u"k", u""},
      {"UTF-8 with mark", Utf8WithMark("[A]\r\nk=\xC3\xA9t\xC3\xA9\r\n"), u"A", u"k", u""},
      {"ANSI", Narrow("[A]\r\nk=\xE9\x80\r\n"), u"A", u"k", u""},
      {"UTF-8 without mark", Narrow("[A]\r\nk=\xC3\xA9\r\n"), u"A", u"k", u""},
      {"keys before any header", Utf16Le(u"top=1\r\n[A]\r\nk=2\r\n"), u"", u"top", u"none"},
  };
  for (const TextCase& c : cases) {
    const std::u16string path = Write(c.bytes);
    EXPECT_EQ(ToUtf8(IniFile(path).ReadText(c.section, c.key, c.dflt)),
              ToUtf8(PlatformText(path, c.section, c.key, c.dflt)))
        << c.name;
  }
}

TEST_F(IniConformance, NumberReadsAgree) {
  const char16_t* values[] = {
      u"5",           u"\"5\"",      u"'8'",         u"-5",          u"+7",     u"0x1F",
      u"0X1F",        u"010",        u"12abc",       u"3.9",         u"abc",    u"",
      u"99999999999", u"4294967296", u"-2147483649", u"0x100000000", u"  42  ", u"- 5"};
  for (const char16_t* value : values) {
    const std::u16string path =
        Write(Utf16Le(u"[Setting]\r\nn=" + std::u16string(value) + u"\r\n"));
    EXPECT_EQ(IniFile(path).ReadInt(u"Setting", u"n", 77), PlatformInt(path, u"Setting", u"n", 77))
        << ToUtf8(value);
  }
  const std::u16string path = Write(Utf16Le(u"[Setting]\r\nbare\r\n"));
  EXPECT_EQ(IniFile(path).ReadInt(u"Setting", u"bare", -3),
            PlatformInt(path, u"Setting", u"bare", -3));
}

TEST_F(IniConformance, StructReadsAgree) {
  const char16_t* values[] = {u"010203040A", u"010203040a",     u"  010203040A  ", u"010203040B",
                              u"0102030",    u"\"010203040A\"", u"0102 03040A",    u""};
  for (const char16_t* value : values) {
    const std::u16string path = Write(Utf16Le(u"[K]\r\ns=" + std::u16string(value) + u"\r\n"));
    std::vector<std::uint8_t> ours(4, 0xEE);
    std::vector<std::uint8_t> theirs(4, 0xEE);
    const bool ourResult = IniFile(path).ReadStruct(u"K", u"s", ours);
    const bool theirResult = PlatformStruct(path, u"K", u"s", theirs);
    EXPECT_EQ(ourResult, theirResult) << ToUtf8(value);
    if (ourResult && theirResult) {
      EXPECT_EQ(ours, theirs) << ToUtf8(value);
    }
  }
}

TEST_F(IniConformance, WhatEachWritesTheOtherReads) {
  // Ours writes, the platform reads.
  const std::u16string ours = folder_.File(u"ours.ini");
  const std::vector<std::uint8_t> record{1, 2, 3, 250, 0};
  IniFile file(ours);
  ASSERT_TRUE(file.WriteText(u"Setting", u"Name", u"Caf\u00E9 \u03A9"));
  ASSERT_TRUE(file.WriteInt(u"Setting", u"Profile", -5));
  ASSERT_TRUE(file.WriteStruct(u"LIGHT", u"LIGHT_DATA_1", record));
  ASSERT_TRUE(file.WriteText(u"Setting", u"Name", u"second"));  // an update in place
  EXPECT_EQ(PlatformText(ours, u"Setting", u"Name", u""), u"second");
  EXPECT_EQ(PlatformInt(ours, u"Setting", u"Profile", 0), static_cast<UINT>(-5));
  std::vector<std::uint8_t> read(record.size());
  EXPECT_TRUE(PlatformStruct(ours, u"LIGHT", u"LIGHT_DATA_1", read));
  EXPECT_EQ(read, record);

  // The platform writes into a file that we created (UTF-16LE with its mark), ours reads.
  const std::u16string theirs = folder_.File(u"theirs.ini");
  ASSERT_TRUE(IniFile(theirs).EnsureFile());
  ASSERT_TRUE(
      ::WritePrivateProfileStringW(L"Setting", L"Name", L"\u00C9t\u00E9 \u03A9", W(theirs)));
  ASSERT_TRUE(::WritePrivateProfileStructW(L"LIGHT", L"LIGHT_DATA_2",
                                           const_cast<std::uint8_t*>(record.data()),
                                           static_cast<UINT>(record.size()), W(theirs)));
  EXPECT_EQ(IniFile(theirs).ReadText(u"Setting", u"Name", u""), u"\u00C9t\u00E9 \u03A9");
  std::vector<std::uint8_t> back(record.size());
  EXPECT_TRUE(IniFile(theirs).ReadStruct(u"LIGHT", u"LIGHT_DATA_2", back));
  EXPECT_EQ(back, record);
}

}  // namespace
}  // namespace kx::win32::testing
