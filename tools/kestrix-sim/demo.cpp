#include "demo.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/hid_wnd.h"
#include "core/key_assignments.h"
#include "core/key_tables.h"
#include "picture/keyboard_picture.h"
#include "platform/sim/picture_files.h"
#include "platform/text_util.h"
#include "profiles/fixed_text.h"
#include "profiles/ini/ini_file.h"
#include "profiles/profile_file.h"
#include "profiles/records.h"
#include "profiles/settings_file.h"
#include "protocol/messages.h"

namespace kx::simtool {

namespace {

using Events = std::vector<Event>;

constexpr char16_t kGamePath[] = u"C:\\Games\\Racer\\racer.exe";
constexpr char16_t kGameWindow[] = u"Racer";
constexpr std::uint64_t kPauseMs = 1000;      // between the steps, as a person would pause
constexpr std::int32_t kMacroFunction = 600;  // codes 512..65535 are macros
constexpr BYTE kWindowsKeyCell = 5 * 23 + 2;  // row 5, column 2: the left Windows key
constexpr BYTE kEffectPerKeyColours = 10;

std::vector<Event> MessagesTo(const Events& events, std::string_view title, UINT message) {
  std::vector<Event> out;
  for (const Event& e : events) {
    if (e.kind == Event::Kind::kMessage && e.title == title && e.message == message)
      out.push_back(e);
  }
  return out;
}

std::vector<Event> WritesStarting(const Events& events, std::vector<BYTE> prefix) {
  std::vector<Event> out;
  for (const Event& e : events) {
    if (e.kind == Event::Kind::kWrite && e.bytes.size() >= prefix.size() &&
        std::equal(prefix.begin(), prefix.end(), e.bytes.begin())) {
      out.push_back(e);
    }
  }
  return out;
}

std::vector<Event> OfKind(const Events& events, Event::Kind kind) {
  std::vector<Event> out;
  for (const Event& e : events) {
    if (e.kind == kind) out.push_back(e);
  }
  return out;
}

std::string LastRegistryValue(const Events& events, std::string_view name) {
  std::string value = "(not written)";
  for (const Event& e : OfKind(events, Event::Kind::kRegistry)) {
    if (e.text == name) value = e.data;
  }
  return value;
}

std::string ColourName(COLORREF colour) {
  switch (colour) {
    case 0x000000FF:
      return "red";
    case 0x000055FF:
      return "orange";
    case 0x0000FF00:
      return "green";
    default: {
      char text[16];
      std::snprintf(text, sizeof text, "colour 0x%06x", colour);
      return text;
    }
  }
}

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// A host path as a shell takes it: quoted only when it needs to be.
std::string ShellWord(const std::filesystem::path& path) {
  const std::string text = path.string();
  if (!text.empty() && text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                              "0123456789/_.-+:=@,%") == std::string::npos) {
    return text;
  }
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  return out + "'";
}

// Bytes on the wire as the narration shows them ("0a 03 02"): kept on one line.
std::string Wire(std::string_view hex) {
  std::string out;
  for (char c : hex) {
    if (c == ' ') {
      out += "\u00a0";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Wire(const std::vector<BYTE>& bytes) {
  return Wire(HexBytes(bytes));
}

// The tool's path as the user best types it: relative when below the current folder.
std::filesystem::path Nearest(const std::filesystem::path& path) {
  std::error_code ec;
  const std::filesystem::path relative = std::filesystem::relative(path, ec);
  if (ec || relative.empty() || *relative.begin() == "..") return path;
  return relative;
}

std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += separator;
    out += parts[i];
  }
  return out;
}

class Demo {
 public:
  Demo(AgentSession& session, const EventLog& log, Narrator& narrator, const DemoPlaces& places)
      : session_(session), log_(log), say_(narrator), places_(places) {}

  int Run() {
    Introduce();
    if (!Start()) return 1;
    Pause();
    PlugIn();
    Pause();
    ChangeModeOnKeyboard();
    Pause();
    ChangeLightingOnKeyboard();
    Pause();
    LaunchWithGKey();
    LinkedProgramInFront();
    Pause();
    WriteProfile();
    Pause();
    WriteLighting();
    Pause();
    Unplug();
    Pause();
    LogOff();
    Conclude();
    return 0;
  }

 private:
  // --- Steps ---

  void Introduce() {
    say_.Plain("Kestrix agent: a demonstration on a simulated desktop");
    say_.Blank();
    say_.Plain(
        "The agent's own code runs here on a simulated Windows desktop, with a virtual Kestrix "
        "keyboard on its USB side and the programs it works with: the configuration program "
        "(window \"Kestrix\"), the tray program and the OSD program. The files it writes are "
        "real files, the reports on the wire real bytes and the progress window a real "
        "picture. " +
        std::string(session_.Desktop().Clock().RealTime()
                        ? "Pauses take real time, so the whole story takes about half a minute."
                        : "Times are virtual, so the whole story takes a moment; add --realtime "
                          "to watch it at its real pace."));
    say_.Blank();
  }

  bool Start() {
    Mark();
    say_.Say(
        "You log on. The agent starts; the configuration program is already open, with its "
        "window \"DLGLoading\".");
    const std::vector<std::string> before = ProfileFiles();
    if (!session_.Start()) {
      say_.More("The agent did not start.");
      return false;
    }
    const Events events = Since();
    std::vector<std::string> started;
    for (const Event& e : OfKind(events, Event::Kind::kLaunch))
      started.push_back(e.text);
    say_.More("It opens its link to the keyboard (none is plugged in yet) and starts the tray " +
              std::string(started.empty() ? "program... but none was started."
                                          : "program: " + Join(started, ", ") + "."));
    const std::vector<std::string> profiles = ProfileFiles();
    if (before.empty()) {
      say_.More("This is its first start: it writes its settings file config.ini and " +
                std::to_string(profiles.size()) + " factory profiles (" + Join(profiles, ", ") +
                ") into " + session_.DataFolder().string() + ".");
    } else {
      say_.More("It reads its settings file config.ini and the profiles it finds in " +
                session_.DataFolder().string() + " (" + Join(profiles, ", ") + ").");
    }
    return true;
  }

  void PlugIn() {
    Mark();
    say_.Say(
        "You plug the keyboard in; its firmware is version 1.3. It shows up as several HID "
        "collections, and for each one the agent runs the whole arrival: it waits 3 s, asks for "
        "the firmware version (" +
        Wire("07 80") + ") and the keyboard's mode (" + Wire("07 81") +
        "), reloads the current profile and tells the configuration program and the tray "
        "program.");
    session_.SetFirmware(1, 3);
    session_.Plug();
    const Events events = Since();
    const std::size_t arrivals = WritesStarting(events, {0x07, 0x80}).size();
    say_.Say(
        "Done after " + Narrator::Seconds(Took()) + ": " + std::to_string(arrivals) +
        " collections, " + std::to_string(arrivals) + " arrivals, " +
        std::to_string(MessagesTo(events, "Kestrix", protocol::WM_DEVICE_PLUG).size()) +
        " times WM_DEVICE_PLUG 1 to the configuration program and " +
        std::to_string(MessagesTo(events, "Kestrix_TrayIcon", protocol::WM_DEVICE_PLUG).size()) +
        " to the tray program. Firmware version " + LastRegistryValue(events, "FWVersion") +
        " is now in config.ini and in the registry (FWVersion), with DevicePlug = " +
        LastRegistryValue(events, "DevicePlug") +
        ". From now on the agent looks at the program in front every 2 s.");
  }

  void ChangeModeOnKeyboard() {
    Mark();
    say_.Say("You press the keyboard's mode key and pick mode 2; the keyboard reports " +
             Wire("0d 03 02") + ".");
    session_.PressModeKey(2);
    const Events events = Since();
    std::string shown;
    for (const Event& e : OfKind(events, Event::Kind::kOsd))
      shown += " " + Quoted(e.text) + " in " + ColourName(e.colour);
    const bool startedOsd = !OfKind(events, Event::Kind::kLaunch).empty();
    say_.Say("The agent makes mode 2 current and saves it (Profile=" + Setting(u"Profile") +
             " in config.ini), " +
             (MessagesTo(events, "Kestrix", protocol::WM_PROFILE_SELECT).empty()
                  ? "cannot tell the configuration program"
                  : "tells the configuration program (WM_PROFILE_SELECT)") +
             " and " + (startedOsd ? "starts the OSD program (OSD.exe), which shows" : "shows") +
             (shown.empty() ? " nothing." : shown + "."));
  }

  void ChangeLightingOnKeyboard() {
    Mark();
    say_.Say("On the keyboard you switch the lighting to effect 7; the keyboard reports " +
             Wire("0d 01 01 01 07") + ".");
    session_.SendReport({0x0D, 0x01, 0x01, 0x01, 0x07, 0x00, 0x00, 0x00, 0x00});
    const Events events = Since();
    const auto told = MessagesTo(events, "Kestrix", protocol::WM_LIGHT_EFFECT_CHANGED);
    say_.Say("The agent tells the configuration program (WM_LIGHT_EFFECT_CHANGED" +
             (told.empty() ? std::string(": not sent")
                           : " with mode " + std::to_string(told.back().wParam) + " and effect " +
                                 std::to_string(told.back().lParam)) +
             ") and saves the change: " + ProfileName(2) + ".ini now stores effect " +
             std::to_string(ReadProfile(2)->LightInfo.Effect) + ".");
  }

  void LaunchWithGKey() {
    Mark();
    say_.Say("In the configuration program you give G1 of " + ProfileName(2) + " the program " +
             ToUtf8(kGamePath) + " and link that game to " + ProfileName(3) +
             ". It saves both profiles and asks the agent to reload them (WM_RELOAD_SETTINGS).");
    session_.InstallProgram(kGamePath, kGameWindow);
    EditProfile(2, [](profiles::PROFILE_DATA& p) {
      profiles::BUTTON_INFO& g1 = p.GKeys[0];
      g1.Kind = profiles::KIND_FUNCTION;
      g1.Function = core::kFunctionLaunch;
      profiles::SetFixedText(g1.ProgramPath, kGamePath);
    });
    EditProfile(3,
                [](profiles::PROFILE_DATA& p) { profiles::SetFixedText(p.LinkExe[0], kGamePath); });
    session_.PostToAgent(protocol::WM_RELOAD_SETTINGS, 0, 0);

    say_.Say("You press G1 and let it go: the keyboard reports " + Wire("08 00 01 00") +
             " (G1 down) and " + Wire("08 00 00 00") + " (G1 up).");
    Mark();
    session_.SendReport({0x08, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    session_.SendReport({0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    std::vector<std::string> started;
    for (const Event& e : OfKind(Since(), Event::Kind::kLaunch))
      started.push_back(e.text);
    say_.Say(started.empty() ? std::string("Nothing was started.")
                             : "The agent finds G1's function in the current profile and starts " +
                                   Join(started, ", ") + ". The game opens its window in front.");
  }

  void LinkedProgramInFront() {
    Mark();
    session_.Wait(core::kForegroundPeriodMs);
    const Events events = Since();
    const auto modes = WritesStarting(events, {0x0A, 0x03});
    std::string shown;
    for (const Event& e : OfKind(events, Event::Kind::kOsd))
      shown += " " + Quoted(e.text);
    say_.Say("At its next look at the program in front the agent finds racer.exe, which " +
             ProfileName(3) + " links. " +
             (modes.empty() ? std::string("But it switched nothing.")
                            : "It switches the keyboard to mode " +
                                  std::to_string(modes.back().bytes[2]) + " (" +
                                  Wire(std::vector<BYTE>(modes.back().bytes.begin(),
                                                         modes.back().bytes.begin() + 3)) +
                                  "), makes that mode current and shows" +
                                  (shown.empty() ? " nothing" : shown) + "."));
  }

  void WriteProfile() {
    Mark();
    say_.Say("For the game you turn the Windows key off and record a macro on G2 in " +
             ProfileName(3) +
             ", then press Apply. The configuration program saves the profile and posts "
             "WM_SHOW_PROGRESS and WM_PROFILE_SYNC to the agent.");
    EditProfile(3, [](profiles::PROFILE_DATA& p) {
      profiles::BUTTON_INFO& g2 = p.GKeys[1];
      g2.Kind = profiles::KIND_FUNCTION;
      g2.Function = kMacroFunction;
      g2.MacroOption1 = 1;
      const BYTE macro[] = {0x04, 0x0A, 0x00, 0x16, 0x0A, 0x00, 0x07, 0x0A, 0x00};
      std::copy(std::begin(macro), std::end(macro), g2.MacroData);
      for (std::size_t i = 0; i < core::KeyPositionTable.mainKeys.size(); ++i) {
        if (core::MainKeyMatrixCode(i) == kWindowsKeyCell) p.Keys[i].Kind = profiles::KIND_DISABLED;
      }
    });
    const std::size_t shotsBefore = session_.Screenshots().Taken().size();
    Mark();
    session_.PostToAgent(protocol::WM_SHOW_PROGRESS, 0, 0);
    session_.PostToAgent(protocol::WM_PROFILE_SYNC, 0, 0);
    const Events events = Since();
    const std::size_t macroChunks = WritesStarting(events, {0x0C}).size();
    const std::size_t matrixChunks = WritesStarting(events, {0x0B}).size();
    const auto macroHeaders = WritesStarting(events, {0x0A, 0x05});
    say_.Say("The agent shows its progress window and writes " + ProfileName(3) +
             " to the keyboard: the macro of G2 (" +
             (macroHeaders.empty() ? std::string("no header")
                                   : Wire(std::vector<BYTE>(macroHeaders[0].bytes.begin(),
                                                            macroHeaders[0].bytes.begin() + 5))) +
             " and " + std::to_string(macroChunks) + " chunks), the key matrix of mode 3 (" +
             Wire("0a 04 03") + " and " + std::to_string(matrixChunks) + " chunks) and the mode (" +
             Wire("0a 03 03") + "). The bar went " + Positions(shotsBefore) + "; then the agent " +
             (MessagesTo(events, "DLGLoading", protocol::WM_PROFILE_SYNC).empty()
                  ? std::string("hides the window without telling \"DLGLoading\"")
                  : "tells \"DLGLoading\" it is done (WM_PROFILE_SYNC) and hides the window") +
             ". The write took " + Narrator::Seconds(Took()) + ".");
    const sim::KeyboardMemory memory = session_.Desktop().Keyboard().Memory();
    const sim::ModeMemory& mode3 = memory.modes[3];
    const bool macroStored = mode3.macros.count(core::GKeyMatrixCode(1)) != 0;
    say_.More(std::string("The keyboard's memory agrees: mode 3 ") +
              (macroStored ? "holds the macro of G2" : "holds no macro for G2") +
              (mode3.keyMatrix[kWindowsKeyCell] == 0 ? " and has no key where the Windows key was."
                                                     : " and still has the Windows key."));
  }

  void WriteLighting() {
    Mark();
    say_.Say("You choose per-key colours (effect 10) for " + ProfileName(3) +
             " and press Apply: the configuration program saves the profile and posts "
             "WM_LIGHT_SYNC for mode 3.");
    EditProfile(3, [](profiles::PROFILE_DATA& p) { p.LightInfo.Effect = kEffectPerKeyColours; });
    const std::size_t shotsBefore = session_.Screenshots().Taken().size();
    Mark();
    session_.PostToAgent(protocol::WM_LIGHT_SYNC, 3, 0);
    const Events events = Since();
    say_.Say("The agent shows the progress window again and sends the mode, the effect (" +
             Wire("0a 0a 03 0a") + ") and " +
             std::to_string(WritesStarting(events, {0x0A, 0x0C}).size()) + " key colours (" +
             Wire("0a 0c") +
             "): the 6 G keys, the 111 keys and, in black, the 16 empty "
             "places of the matrix. The bar went " +
             Positions(shotsBefore) + "; \"DLGLoading\" is told again. The write took " +
             Narrator::Seconds(Took()) + ".");
    DrawProfile(3);
  }

  void Unplug() {
    Mark();
    say_.Say("You unplug the keyboard.");
    session_.Unplug();
    const Events events = Since();
    say_.Say("The agent records it (FWVersion " + LastRegistryValue(events, "FWVersion") +
             " and DevicePlug = " + LastRegistryValue(events, "DevicePlug") +
             " in config.ini and the registry), tells the configuration program and the tray "
             "program (WM_DEVICE_PLUG 0) and stops watching the program in front.");
  }

  void LogOff() {
    Mark();
    say_.Say("You log off: the system closes the agent (WM_CLOSE to \"Kestrix_Hid\").");
    session_.Close();
    const auto ended = MessagesTo(Since(), "Kestrix OSD", WM_DESTROY);
    say_.More(std::string(
        ended.empty() ? "It exits." : "It tells the OSD program to end (WM_DESTROY) and exits."));
  }

  void Conclude() {
    const std::size_t events = log_.Count();
    const auto& shots = session_.Screenshots().Taken();
    const std::filesystem::path data = session_.DataFolder();
    say_.Blank();
    say_.Plain("Where to look:");
    say_.Line("  the agent's files  " + data.string() + "  (config.ini, Profiles/)");
    say_.Line("  the event log      " + places_.log.string() + "  (" + std::to_string(events) +
              " events, one a line)");
    say_.Line("  the screenshots    " + places_.screenshots.string() + "  (" +
              std::to_string(shots.size()) + " pictures of the progress window" +
              (keyboardPicture_.empty() ? "" : ", one of the keyboard") + ")");
    say_.Line("  the registry       " + places_.registry.string());
    say_.Blank();
    const std::filesystem::path profile3 = data / "Profiles" / (ProfileName(3) + ".ini");
    const std::string tool =
        places_.tool.empty() ? "kestrix-tool" : ShellWord(Nearest(places_.tool));
    say_.Plain("Look inside with kestrix-tool, for example:");
    say_.Line("  " + tool + " ini get " + ShellWord(data / "config.ini") + " Setting Profile");
    say_.Line("  " + tool + " profile show " + ShellWord(profile3));
    say_.Line("  " + tool + " profile render " + ShellWord(profile3) + " keyboard.png");
  }

  // --- Helpers ---

  void Pause() { session_.Wait(kPauseMs); }

  void Mark() {
    mark_ = log_.Count();
    markMs_ = session_.Elapsed();
  }
  Events Since() const { return log_.EventsSince(mark_); }
  std::uint64_t Took() const { return session_.Elapsed() - markMs_; }

  std::string ProfileName(int mode) const {
    const core::CHidWnd* agent = session_.Agent();
    if (agent == nullptr) return "Profile " + std::to_string(mode);
    return ToUtf8(profiles::FixedText(agent->Settings().Modes[mode].ProfileName));
  }

  std::string Setting(std::u16string_view key) const {
    return std::to_string(static_cast<std::int32_t>(
        profiles::IniFile(profiles::SettingsFilePath()).ReadInt(u"Setting", key, -1)));
  }

  std::unique_ptr<profiles::PROFILE_DATA> ReadProfile(int mode) const {
    auto data = std::make_unique<profiles::PROFILE_DATA>();
    profiles::ClearRecord(*data);
    profiles::ReadProfileData(
        profiles::IniEdit(profiles::ProfileFilePath(FromUtf8(ProfileName(mode)))).Document(),
        *data);
    return data;
  }

  // Changes a profile file as the configuration program does: read, change, save.
  template <typename Edit>
  void EditProfile(int mode, Edit edit) {
    const std::u16string name = FromUtf8(ProfileName(mode));
    auto data = std::make_unique<profiles::PROFILE_DATA>();
    profiles::ClearRecord(*data);
    profiles::LoadProfile(name, *data);
    edit(*data);
    profiles::SaveProfile(name, *data);
  }

  std::vector<std::string> ProfileFiles() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry :
         std::filesystem::directory_iterator(session_.DataFolder() / "Profiles", ec)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  // A picture of a profile's keys in the colours of its first layout, beside the screenshots.
  void DrawProfile(int mode) {
    const std::filesystem::path file =
        places_.screenshots / ("keyboard-profile-" + std::to_string(mode) + ".png");
    const sim::Pixels picture = picture::DrawKeyboard(*ReadProfile(mode), 0, ProfileName(mode));
    std::error_code ec;
    std::filesystem::create_directories(places_.screenshots, ec);
    if (!sim::WritePng(picture, file)) return;
    keyboardPicture_ = file;
    say_.More("A picture of " + ProfileName(mode) +
              "'s keys in these colours, with G2's macro and "
              "the Windows key marked: " +
              file.string());
  }

  // The positions pictured since the count given, as "0 → 20 → ...".
  std::string Positions(std::size_t from) const {
    const auto& shots = session_.Screenshots().Taken();
    std::vector<std::string> positions;
    for (std::size_t i = from; i < shots.size(); ++i)
      positions.push_back(std::to_string(shots[i].position));
    return positions.empty() ? std::string("unseen") : Join(positions, " → ");
  }

  AgentSession& session_;
  const EventLog& log_;
  Narrator& say_;
  const DemoPlaces& places_;
  std::size_t mark_ = 0;
  std::uint64_t markMs_ = 0;
  std::filesystem::path keyboardPicture_;
};

}  // namespace

int RunDemo(AgentSession& session, const EventLog& log, Narrator& narrator,
            const DemoPlaces& places) {
  return Demo(session, log, narrator, places).Run();
}

}  // namespace kx::simtool
