// kestrix-tool ini and profile show, run as a user runs them.
#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <stdexcept>
#include <variant>

#include "profiles/defaults.h"
#include "profiles/fixed_text.h"
#include "profiles/profile_file.h"
#include "profiles_fixture.h"
#include "support/run_program.h"

namespace kx::profiles::testing {
namespace {

using ToolResult = testsupport::ProgramRun;
using testsupport::ShellQuoted;

class ToolTest : public ProfilesTest {
 protected:
  ToolResult Run(const std::vector<std::string>& args) {
    std::string command = KX_TOOL_PATH;
    for (const std::string& arg : args)
      command += " " + ShellQuoted(arg);
    return testsupport::RunProgram(command, folder_.Path() / "stderr.txt");
  }
  std::string Host(const char* name) const { return (folder_.Path() / name).string(); }
};

TEST_F(ToolTest, IniReadsAndWritesAsTheAgentDoes) {
  std::string file = Host("t.ini");
  EXPECT_EQ(Run({"ini", "set", file, "Sec", "Key", "-7"}).status, 0);
  EXPECT_EQ(ReadHostFile(file), Utf16Le(u"[Sec]\r\nKey=-7\r\n"));
  EXPECT_EQ(Run({"ini", "get", file, "sec", "KEY"}).out, "-7\n");
  EXPECT_EQ(Run({"ini", "get-int", file, "Sec", "Key", "5"}).out, "-7\n");
  EXPECT_EQ(Run({"ini", "get-int", file, "Sec", "none", "-3"}).out, "-3\n");
  EXPECT_EQ(Run({"ini", "get", file, "Sec", "none"}).out, "\n");
  EXPECT_EQ(Run({"ini", "get", file, "Sec", "none", "'d'  "}).out, "d\n");
  EXPECT_EQ(Run({"ini", "set", file, "Sec", "Big", "4294967295"}).status, 0);
  EXPECT_EQ(Run({"ini", "get-int", file, "Sec", "Big", "0"}).out, "-1\n");
  EXPECT_EQ(Run({"ini", "set", file, "Sec", "Text", "\xC3\xA9 \xE2\x82\xAC"}).status, 0);
  EXPECT_EQ(Run({"ini", "get", file, "Sec", "Text"}).out, "\xC3\xA9 \xE2\x82\xAC\n");

  EXPECT_EQ(Run({"ini", "set-struct", file, "S", "s", "0102aBcD"}).status, 0);
  EXPECT_EQ(Run({"ini", "get", file, "S", "s"}).out, "0102ABCD7B\n");
  EXPECT_EQ(Run({"ini", "get-struct", file, "S", "s", "4"}).out, "0102abcd\n");
  ToolResult wrongSize = Run({"ini", "get-struct", file, "S", "s", "3"});
  EXPECT_EQ(wrongSize.status, 1);
  EXPECT_EQ(wrongSize.out, "");
  EXPECT_EQ(Run({"ini", "get-struct", file, "S", "missing", "3"}).status, 1);
}

TEST_F(ToolTest, ALoneSurrogateIsPrintedAsTheReplacementCharacter) {
  WriteHostFile(Host("s.ini"), Utf16Le(u"[S]\r\nk=a\xD83D\r\n"));
  EXPECT_EQ(Run({"ini", "get", Host("s.ini"), "S", "k"}).out, "a\xEF\xBF\xBD\n");
}

TEST_F(ToolTest, BadArgumentsGiveOneLineAndStatusTwo) {
  std::string file = Host("t.ini");
  const std::vector<std::vector<std::string>> cases = {
      {"ini"},
      {"ini", "frob", file, "S", "k"},
      {"ini", "get", file, "S"},
      {"ini", "get", file, "S", "k", "d", "extra"},
      {"ini", "get-int", file, "S", "k"},
      {"ini", "get-int", file, "S", "k", "12x"},
      {"ini", "get-int", file, "S", "k", "2147483648"},
      {"ini", "get-struct", file, "S", "k", "0"},
      {"ini", "get-struct", file, "S", "k", "-4"},
      {"ini", "set-struct", file, "S", "k", "123"},
      {"ini", "set-struct", file, "S", "k", "zz"},
      {"ini", "set", file, "S\nX", "k", "v"},
      {"profile"},
      {"profile", "show"},
      {"profile", "frob", file},
  };
  for (const auto& args : cases) {
    ToolResult r = Run(args);
    EXPECT_EQ(r.status, 2) << args.size();
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(file));
  ToolResult noFolder = Run({"ini", "set", Host("none/t.ini"), "S", "k", "v"});
  EXPECT_EQ(noFolder.status, 1);
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "none"));
}

// A small JSON reader, enough to check the shape of "profile show".
struct Json {
  std::variant<std::nullptr_t, double, std::string, std::vector<Json>, std::map<std::string, Json>>
      value;
  const Json& operator[](const std::string& key) const {
    return std::get<std::map<std::string, Json>>(value).at(key);
  }
  const Json& operator[](std::size_t i) const { return std::get<std::vector<Json>>(value).at(i); }
  std::size_t size() const {
    if (auto* list = std::get_if<std::vector<Json>>(&value)) return list->size();
    return std::get<std::map<std::string, Json>>(value).size();
  }
  double number() const { return std::get<double>(value); }
  const std::string& text() const { return std::get<std::string>(value); }
};

class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}
  Json Document() {
    Json json = Value();
    Space();
    if (at_ != text_.size()) throw std::runtime_error("trailing text");
    return json;
  }

 private:
  void Space() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
      ++at_;
  }
  void Expect(char c) {
    Space();
    if (at_ >= text_.size() || text_[at_] != c) throw std::runtime_error(std::string("want ") + c);
    ++at_;
  }
  bool Next(char c) {
    Space();
    return at_ < text_.size() && text_[at_] == c;
  }
  std::string Text() {
    Expect('"');
    std::string out;
    while (at_ < text_.size() && text_[at_] != '"') {
      if (static_cast<unsigned char>(text_[at_]) < 0x20) throw std::runtime_error("raw control");
      if (text_[at_] == '\\') {
        char e = text_.at(++at_);
        if (e == 'u') {
          out += static_cast<char>(std::stoi(std::string(text_.substr(at_ + 1, 4)), nullptr, 16));
          at_ += 4;
        } else {
          out += e;
        }
        ++at_;
      } else {
        out += text_[at_++];
      }
    }
    Expect('"');
    return out;
  }
  Json Value() {
    Space();
    if (Next('{')) {
      ++at_;
      std::map<std::string, Json> object;
      while (!Next('}')) {
        if (!object.empty()) Expect(',');
        std::string key = Text();
        Expect(':');
        object[key] = Value();
      }
      ++at_;
      return Json{object};
    }
    if (Next('[')) {
      ++at_;
      std::vector<Json> list;
      while (!Next(']')) {
        if (!list.empty()) Expect(',');
        list.push_back(Value());
      }
      ++at_;
      return Json{list};
    }
    if (Next('"')) return Json{Text()};
    std::size_t used = 0;
    double number = std::stod(std::string(text_.substr(at_, 32)), &used);
    at_ += used;
    return Json{number};
  }
  std::string_view text_;
  std::size_t at_ = 0;
};

TEST_F(ToolTest, ProfileShowPrintsTheFileAsStored) {
  MakeProfilesFolder();
  auto profile = std::make_unique<PROFILE_DATA>();
  FactoryProfile(*profile, true, 2);
  SetFixedText(profile->LinkExe[1], u"C:\\Games\\\"q\"\\g.exe");
  profile->Keys[3] = BUTTON_INFO{};
  profile->Keys[3].Kind = 2;
  profile->Keys[3].Function = -2;
  profile->Keys[3].MacroOption0 = 7;
  profile->Keys[3].MacroOption1 = 9;
  SetFixedText(profile->Keys[3].ProgramPath, u"tab\there");
  profile->GKeys[5].Kind = 1;
  profile->LightInfo.EffectLevel = 0;  // shown as stored, not repaired
  profile->LightInfo.Color = 0x00332211;
  profile->LightData[2].GKeyColor[1] = 0x00ABCDEF;
  SetFixedText(profile->LightData[4].Name, u"");
  ASSERT_TRUE(SaveProfile(u"Show", *profile));
  Bytes before = ReadHostFile(HostProfile("Show"));

  ToolResult r = Run({"profile", "show", HostProfile("Show").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  Json doc = JsonReader(r.out).Document();
  EXPECT_EQ(doc.size(), 6u);
  EXPECT_EQ(doc["name"].text(), "Show");
  EXPECT_EQ(doc["linkExe"].size(), 5u);
  EXPECT_EQ(doc["linkExe"][1].text(), "C:\\Games\\\"q\"\\g.exe");
  ASSERT_EQ(doc["keys"].size(), 111u);
  const Json& key = doc["keys"][3];
  EXPECT_EQ(key.size(), 7u);
  EXPECT_EQ(key["index"].number(), 3);
  EXPECT_EQ(key["matrixCode"].number(), 5);
  EXPECT_EQ(key["kind"].number(), 2);
  EXPECT_EQ(key["function"].number(), -2);
  EXPECT_EQ(key["programPath"].text(), "tab\there");
  EXPECT_EQ(key["macroOption0"].number(), 7);
  EXPECT_EQ(key["macroOption1"].number(), 9);
  EXPECT_EQ(doc["keys"][110]["matrixCode"].number(), 123);
  ASSERT_EQ(doc["gKeys"].size(), 6u);
  EXPECT_EQ(doc["gKeys"][5]["matrixCode"].number(), 115);
  EXPECT_EQ(doc["gKeys"][5]["kind"].number(), 1);
  EXPECT_EQ(doc["lightInfo"]["effect"].number(), 6);
  EXPECT_EQ(doc["lightInfo"]["effectLevel"].number(), 0);
  EXPECT_EQ(doc["lightInfo"]["color"].text(), "#112233");
  ASSERT_EQ(doc["layouts"].size(), 5u);
  EXPECT_EQ(doc["layouts"][0]["name"].text(), "DEFAULT");
  EXPECT_EQ(doc["layouts"][0]["keyColors"].size(), 111u);
  EXPECT_EQ(doc["layouts"][0]["keyColors"][106].text(), "#FF0000");  // 0x0000FF is red
  EXPECT_EQ(doc["layouts"][2]["gKeyColors"][1].text(), "#EFCDAB");
  EXPECT_EQ(doc["layouts"][4]["name"].text(), "");
  EXPECT_EQ(ReadHostFile(HostProfile("Show")), before);

  // A file without the name key or any struct is shown as stored and left unwritten.
  WriteHostFile(HostProfile("Bare"), BytesOf("[GROUP]\r\nLinkExe0=x\r\n"));
  ToolResult bare = Run({"profile", "show", HostProfile("Bare").string()});
  ASSERT_EQ(bare.status, 0);
  Json bareDoc = JsonReader(bare.out).Document();
  EXPECT_EQ(bareDoc["name"].text(), "");
  EXPECT_EQ(bareDoc["linkExe"][0].text(), "x");
  EXPECT_EQ(bareDoc["layouts"][0]["name"].text(), "");
  EXPECT_EQ(ReadHostFile(HostProfile("Bare")), BytesOf("[GROUP]\r\nLinkExe0=x\r\n"));
  EXPECT_EQ(Run({"profile", "show", Host("missing.ini")}).status, 1);
}

}  // namespace
}  // namespace kx::profiles::testing
