// kestrix-tool profile: looks into profile files, read as stored: no repair, nothing written.
// "show" prints one as JSON; "render" draws the keyboard in the colours of one of its lighting
// layouts, with the keys' functions marked.
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "command.h"
#include "core/key_tables.h"
#include "host_ini_file.h"
#include "picture/keyboard_picture.h"
#include "platform/files.h"
#include "platform/sim/picture_files.h"
#include "platform/text_util.h"
#include "profiles/fixed_text.h"
#include "profiles/ini/ini_file.h"
#include "profiles/profile_file.h"

namespace kx::tool {

namespace {

using namespace kx::profiles;

// A JSON string: UTF-8, a lone surrogate half as U+FFFD, control characters escaped.
std::string JsonText(std::u16string_view text) {
  std::string out = "\"";
  for (char c : ToUtf8(text)) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// A COLORREF (red in the low byte) as "#RRGGBB".
std::string JsonColor(COLORREF color) {
  char text[16];
  std::snprintf(text, sizeof text, "\"#%02X%02X%02X\"", color & 0xFF, (color >> 8) & 0xFF,
                (color >> 16) & 0xFF);
  return text;
}

// A JSON array of count items; rows puts each item on a line of its own.
template <typename Item, typename Format>
std::string JsonList(const Item* items, std::size_t count, Format format, bool rows = false) {
  std::string out = rows ? "[\n  " : "[";
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) out += rows ? ",\n  " : ", ";
    out += format(items[i], i);
  }
  return out + "]";
}

std::string JsonKey(const BUTTON_INFO& key, int index, int matrixCode) {
  return "{\"index\": " + std::to_string(index) +
         ", \"matrixCode\": " + std::to_string(matrixCode) +
         ", \"kind\": " + std::to_string(key.Kind) +
         ", \"function\": " + std::to_string(key.Function) +
         ", \"programPath\": " + JsonText(FixedText(key.ProgramPath)) +
         ", \"macroOption0\": " + std::to_string(key.MacroOption0) +
         ", \"macroOption1\": " + std::to_string(key.MacroOption1) + "}";
}

std::string ProfileJson(std::u16string_view name, const PROFILE_DATA& p) {
  std::string out = "{\"name\": " + JsonText(name) + ", \"linkExe\": ";
  out += JsonList(p.LinkExe, LINK_EXE_COUNT,
                  [](const TextField& link, std::size_t) { return JsonText(FixedText(link)); });
  out += ",\n \"keys\": ";
  out += JsonList(
      p.Keys, KEY_COUNT,
      [](const BUTTON_INFO& key, std::size_t i) {
        return JsonKey(key, static_cast<int>(i), core::MainKeyMatrixCode(i));
      },
      true);
  out += ",\n \"gKeys\": ";
  out += JsonList(
      p.GKeys, G_KEY_COUNT,
      [](const BUTTON_INFO& key, std::size_t i) {
        return JsonKey(key, static_cast<int>(i), core::GKeyMatrixCode(i));
      },
      true);
  const LIGHT_INFO& info = p.LightInfo;
  out += ",\n \"lightInfo\": {\"effect\": " + std::to_string(info.Effect) +
         ", \"effectOption\": " + std::to_string(info.EffectOption) +
         ", \"effectLevel\": " + std::to_string(info.EffectLevel) +
         ", \"effectParam\": " + std::to_string(info.EffectParam) +
         ", \"color\": " + JsonColor(info.Color) + "},\n \"layouts\": ";
  auto color = [](COLORREF c, std::size_t) { return JsonColor(c); };
  out += JsonList(
      p.LightData, LIGHT_DATA_COUNT,
      [&](const LIGHT_DATA& layout, std::size_t) {
        return "{\"name\": " + JsonText(FixedText(layout.Name)) +
               ", \"keyColors\": " + JsonList(layout.KeyColor, KEY_COUNT, color) +
               ", \"gKeyColors\": " + JsonList(layout.GKeyColor, G_KEY_COUNT, color) + "}";
      },
      true);
  return out + "}\n";
}

// Reads a profile file named by a host path, as stored; false (with a message) when there is
// no such file.
bool ReadProfileFile(const std::string& hostPath, PROFILE_DATA& profile, std::u16string* name) {
  HostIniFile host(hostPath);
  DWORD attributes = host.WindowsPath().empty() ? INVALID_FILE_ATTRIBUTES
                                                : os::Files().GetAttributes(host.WindowsPath());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    std::cerr << "kestrix-tool: no profile file " << hostPath << "\n";
    return false;
  }
  IniEdit file(host.WindowsPath());  // read only: never committed
  ClearRecord(profile);
  ReadProfileData(file.Document(), profile);
  *name = file.ReadText(kProfileSection, kProfileNameKey, u"");
  return true;
}

int Show(const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError("usage: kestrix-tool profile show FILE");
  auto profile = std::make_unique<PROFILE_DATA>();
  std::u16string name;
  if (!ReadProfileFile(args[0], *profile, &name)) return kExitFailed;
  std::cout << ProfileJson(name, *profile);
  return kExitOk;
}

int Render(const std::vector<std::string>& args) {
  if (args.size() != 2 && args.size() != 3) {
    return UsageError("usage: kestrix-tool profile render FILE OUT.png [LAYOUT]");
  }
  int layout = 0;
  if (args.size() == 3) {
    const std::string& text = args[2];
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), layout);
    if (error != std::errc() || end != text.data() + text.size() || layout < 0 ||
        layout >= LIGHT_DATA_COUNT) {
      return UsageError("LAYOUT is a lighting layout from 0 to " +
                        std::to_string(LIGHT_DATA_COUNT - 1) + ", not '" + text + "'");
    }
  }
  auto profile = std::make_unique<PROFILE_DATA>();
  std::u16string name;
  if (!ReadProfileFile(args[0], *profile, &name)) return kExitFailed;
  if (name.empty()) name = FromUtf8(std::filesystem::path(args[0]).stem().string());

  picture::KeyboardPictureInfo info;
  const sim::Pixels picture = picture::DrawKeyboard(*profile, layout, ToUtf8(name), &info);
  if (!sim::WritePng(picture, args[1])) {
    std::cerr << "kestrix-tool: cannot write " << args[1] << "\n";
    return kExitFailed;
  }
  std::cout << "wrote " << args[1] << ": " << picture.width << " x " << picture.height << ", "
            << info.keys << " keys in the colours of layout " << layout << " \""
            << ToUtf8(FixedText(profile->LightData[layout].Name)) << "\", " << info.marked
            << " with a function mark\n";
  if (!info.text) std::cerr << "kestrix-tool: no DejaVu font found; the keys are not labelled\n";
  return kExitOk;
}

struct Subcommand {
  std::string_view name;
  int (*run)(const std::vector<std::string>& args);
};

constexpr Subcommand kSubcommands[] = {
    {"show", Show},
    {"render", Render},
};

int RunProfile(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError("profile: missing subcommand (show, render)");
  for (const Subcommand& sub : kSubcommands) {
    if (sub.name == args[0]) return sub.run(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  return UsageError("profile: unknown subcommand '" + args[0] + "'");
}

}  // namespace

KX_TOOL_COMMAND(profile, "profile", "profile show FILE | profile render FILE OUT.png [LAYOUT]",
                RunProfile);

}  // namespace kx::tool
