#include "scenario_setup.h"

#include <charconv>
#include <memory>
#include <optional>

#include "platform/sim/desktop.h"
#include "platform/sim/temp_folder.h"
#include "platform/text_util.h"
#include "profiles/defaults.h"
#include "profiles/fixed_text.h"
#include "profiles/folders.h"
#include "profiles/ini/ini_file.h"
#include "profiles/profile_file.h"
#include "profiles/settings_file.h"

namespace kx::scenario {

namespace {

// The simulated desktop whose application-data folder is the scenario's, for as long as the
// object lives.
class FilesDesktop {
 public:
  explicit FilesDesktop(const std::filesystem::path& appData)
      : desktop_(sim::DesktopOptions{root_.Path(), appData, {}, false}) {
    profiles::InitDataDir();
  }

 private:
  sim::TempFolder root_{"kestrix-scenario"};
  sim::Desktop desktop_;
};

std::optional<long long> Number(const std::string& text) {
  long long value = 0;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* begin = text.data() + (hex ? 2 : 0);
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(begin, end, value, hex ? 16 : 10);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

// Loads a profile for editing: the file when there is one, else the factory profile of the
// mode its default name gives.
std::unique_ptr<profiles::PROFILE_DATA> OpenProfile(const std::u16string& name) {
  auto data = std::make_unique<profiles::PROFILE_DATA>();
  profiles::BlankProfile(*data);
  for (int mode = 0; mode < profiles::MODE_COUNT; ++mode) {
    if (name == u"Profile " + Widen(std::to_string(mode)))
      profiles::FactoryProfile(*data, true, mode);
  }
  profiles::EnsureDataFolder(profiles::kProfilesFolderSuffix);
  profiles::LoadProfile(name, *data);
  return data;
}

bool Apply(const Directive& d, std::string* why) {
  const auto& a = d.args;
  if (d.word == "setting" && a.size() == 2) {
    const auto value = Number(a[1]);
    if (!value) return false;
    profiles::EnsureDataFolder(profiles::kDataFolderSuffix);
    return profiles::IniFile(profiles::SettingsFilePath())
        .WriteInt(u"Setting", FromUtf8(a[0]), static_cast<std::int32_t>(*value));
  }
  if ((d.word == "link" && a.size() == 3) ||
      (d.word == "effect" && (a.size() == 2 || a.size() == 3)) ||
      (d.word == "key" && (a.size() == 4 || a.size() == 5))) {
    const std::u16string name = FromUtf8(a[0]);
    auto profile = OpenProfile(name);
    if (d.word == "link") {
      const auto slot = Number(a[1]);
      if (!slot || *slot < 0 || *slot >= profiles::LINK_EXE_COUNT) return false;
      profiles::SetFixedText(profile->LinkExe[*slot], FromUtf8(a[2]));
    } else if (d.word == "effect") {
      const auto effect = Number(a[1]);
      const auto colour = a.size() == 3 ? Number(a[2]) : std::optional<long long>(0);
      if (!effect || !colour) return false;
      profile->LightInfo.Effect = static_cast<BYTE>(*effect);
      if (a.size() == 3) profile->LightInfo.Color = static_cast<COLORREF>(*colour);
    } else {
      profiles::BUTTON_INFO* key = nullptr;
      if (a[1].size() == 2 && a[1][0] == 'G' && a[1][1] >= '1' && a[1][1] <= '6') {
        key = &profile->GKeys[a[1][1] - '1'];
      } else if (const auto index = Number(a[1]);
                 index && *index >= 0 && *index < profiles::KEY_COUNT) {
        key = &profile->Keys[*index];
      }
      const auto kind = Number(a[2]);
      const auto function = Number(a[3]);
      if (key == nullptr || !kind || !function) return false;
      key->Kind = static_cast<BYTE>(*kind);
      key->Function = static_cast<std::int32_t>(*function);
      if (a.size() == 5) profiles::SetFixedText(key->ProgramPath, FromUtf8(a[4]));
    }
    if (!profiles::SaveProfile(name, *profile)) {
      *why = "the profile file could not be written";
      return false;
    }
    return true;
  }
  return false;
}

}  // namespace

bool PrepareFiles(const std::vector<Directive>& setup, const std::filesystem::path& appData,
                  std::string* error) {
  if (setup.empty()) return true;
  FilesDesktop desktop(appData);
  for (const Directive& d : setup) {
    std::string why = "cannot carry out \"#@ " + d.word + " " + d.rest + "\"";
    if (!Apply(d, &why)) {
      *error = "line " + std::to_string(d.line) + ": " + why;
      return false;
    }
  }
  return true;
}

std::optional<std::string> ReadIniText(const std::filesystem::path& appData,
                                       const std::string& file, const std::string& section,
                                       const std::string& key) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(appData / file, ec)) return std::nullopt;
  FilesDesktop desktop(appData);
  std::u16string path = std::u16string(sim::Desktop::kAppDataFolder) + u"\\" + FromUtf8(file);
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  return ToUtf8(profiles::IniFile(path).ReadText(FromUtf8(section), FromUtf8(key), u""));
}

}  // namespace kx::scenario
