#include "text/language_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "sim_fixture.h"

namespace kx::text {
namespace {

class LanguageFileTest : public testing::SimDesktopTest {};

TEST_F(LanguageFileTest, ProcessDocumentStartsEmpty) {
  EXPECT_EQ(g_LanguageDoc.Result, u"Empty document");
  EXPECT_EQ(g_LanguageDoc.Text, u"");
  EXPECT_EQ(g_LanguageDoc.NextFree(), 1);
}

TEST_F(LanguageFileTest, OurStringsFileIsWellFormedUtf8) {
  std::ifstream in(std::filesystem::path(KX_AGENT_DIR) / "Strings.xml", std::ios::binary);
  ASSERT_TRUE(in) << "Strings.xml is installed beside the agent";
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::u16string path = WriteFile("Strings.xml", bytes);

  XmlDocument doc;
  ASSERT_TRUE(ReadLanguageFile(path, doc));
  EXPECT_TRUE(doc.IndexDocument()) << ToUtf8(doc.Result);
  EXPECT_NE(doc.Text.find(u"\u30D7\u30ED\u30D5\u30A1\u30A4\u30EB %d"), std::u16string::npos);
  EXPECT_EQ(doc.Flags, 0u);
  EXPECT_GT(doc.NextFree(), 20);
}

TEST_F(LanguageFileTest, LoadReportAndIndexMessageTogether) {
  XmlDocument doc;
  ASSERT_TRUE(ReadLanguageFile(WriteFile("Strings.xml", "<a><b></a>"), doc));
  EXPECT_EQ(doc.Result,
            u"UTF-8 length 10 to 10 wide chars  End tag 'a' at offset 7 does not match start tag "
            u"'b' at offset 3");
}

TEST_F(LanguageFileTest, MissingOrForeignFilesAreHarmless) {
  XmlDocument missing;
  EXPECT_FALSE(ReadLanguageFile(ProgramPath("Strings.xml"), missing));
  EXPECT_EQ(missing.Text, u"");
  EXPECT_EQ(missing.Result, u"The system cannot find the file specified.");
  EXPECT_EQ(missing.NextFree(), 1);

  XmlDocument empty;
  EXPECT_TRUE(ReadLanguageFile(WriteFile("empty.xml", ""), empty));
  EXPECT_EQ(empty.Result, u"ANSI 0 length  Empty document");

  XmlDocument binary;
  EXPECT_TRUE(ReadLanguageFile(
      WriteFile("binary.xml", std::string("\x89PNG\r\n\x1A\n\0\0<<>>", 14)), binary));
  EXPECT_EQ(binary.Element(0).Child, 0);
}

}  // namespace
}  // namespace kx::text
