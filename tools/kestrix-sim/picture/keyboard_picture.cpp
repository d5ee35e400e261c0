#include "picture/keyboard_picture.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "core/default_key_matrix.h"
#include "core/key_assignments.h"
#include "core/key_tables.h"
#include "picture/canvas.h"
#include "picture/font.h"
#include "picture/key_legends.h"
#include "platform/text_util.h"
#include "profiles/fixed_text.h"

namespace kx::picture {

namespace {

// Geometry, in pixels.
constexpr double kUnit = 50;        // one matrix cell
constexpr double kCapInset = 3;     // space around a key cap inside its cell
constexpr double kGColumnGap = 14;  // the G keys stand apart in column 0
constexpr double kMargin = 28;
constexpr double kBodyPadding = 18;
constexpr double kTitleHeight = 70;
constexpr double kFooterHeight = 64;

// Colours.
constexpr Rgb kPage = 0x111318;
constexpr Rgb kBody = 0x1E2127;
constexpr Rgb kBodyEdge = 0x343842;
constexpr Rgb kUnlitSkirt = 0x26292F;
constexpr Rgb kUnlitFace = 0x353941;
constexpr Rgb kDarkText = 0x15171C;
constexpr Rgb kLightText = 0xF2F3F5;
constexpr Rgb kUnlitText = 0xB9BEC8;
constexpr Rgb kTitleText = 0xF2F3F5;
constexpr Rgb kNoteText = 0x9AA0AC;
constexpr Rgb kBadge = 0x0B0C0F;
constexpr Rgb kOffLine = 0xE5484D;

constexpr double kWidth = 2 * kMargin + 2 * kBodyPadding + kGColumnGap +
                          kUnit * static_cast<double>(device::kMatrixColumns);
constexpr double kHeight = kTitleHeight + 2 * kBodyPadding +
                           kUnit * static_cast<double>(device::kMatrixRows) + kFooterHeight;

Rgb RgbOf(COLORREF colour) {
  return sim::PixelFromColorref(colour) & sim::kColourMask;
}

Box CellBox(core::KeyPosition position) {
  const double left =
      kMargin + kBodyPadding + position.column * kUnit + (position.column > 0 ? kGColumnGap : 0);
  const double top = kTitleHeight + kBodyPadding + position.row * kUnit;
  return Box{left, top, left + kUnit, top + kUnit};
}

std::string EffectNote(const profiles::PROFILE_DATA& profile, int layout) {
  const int effect = profile.LightInfo.Effect;
  std::string note = "lighting effect " + std::to_string(effect);
  if (effect == 10 && layout == 0) return note + ": the keyboard shows these colours";
  if (layout != 0) return note + "; the keyboard is given layout 0's colours, not this layout's";
  return note + "; these colours show with effect 10 (per-key colours)";
}

class Painter {
 public:
  Painter(Canvas& canvas, const Font& bold, const Font& regular)
      : canvas_(canvas), bold_(bold), regular_(regular) {}

  void Key(core::KeyPosition position, COLORREF colour, std::string_view legend,
           const std::string& mark) {
    const Box cell = CellBox(position);
    const Box cap{cell.left + kCapInset, cell.top + kCapInset, cell.right - kCapInset,
                  cell.bottom - kCapInset};
    const bool lit = (colour & 0xFFFFFF) != 0;
    const bool off = mark == "OFF";
    Rgb face = lit ? RgbOf(colour) : kUnlitFace;
    if (off) face = Mix(face, kBody, 0.65);
    if (lit && !off) {
      // The light spills a little around the cap.
      canvas_.FillRoundRect(Box{cap.left - 2, cap.top - 2, cap.right + 2, cap.bottom + 2}, 9, face,
                            0.35);
    }
    canvas_.FillRoundRect(cap, 7, lit ? Darker(face, 0.45) : kUnlitSkirt);
    const Box top{cap.left + 3, cap.top + 2, cap.right - 3, cap.bottom - 7};
    canvas_.FillRoundRect(top, 5, face);
    // A soft highlight on the upper half of the face.
    canvas_.FillRoundRect(Box{top.left + 1, top.top + 1, top.right - 1, top.top + top.Height() / 2},
                          4, 0xFFFFFF, 0.08);

    const Rgb text = !lit ? kUnlitText : Brightness(face) > 0.6 ? kDarkText : kLightText;
    const double centre = (top.left + top.right) / 2;
    const int size = Columns(legend) <= 2 ? 15 : Columns(legend) <= 4 ? 11 : 9;
    const double baseline =
        mark.empty() ? top.top + top.Height() / 2 + size * 0.38 : top.top + size + 3;
    bold_.DrawCentred(canvas_, centre, baseline, legend, size, off ? Mix(text, face, 0.5) : text);
    if (off) canvas_.Line(top.left + 5, top.bottom - 5, top.right - 5, top.top + 5, 2, kOffLine);
    if (!mark.empty()) Badge(centre, top.bottom - 3, mark, off ? kOffLine : kLightText);
  }

  // A mark on a dark tag, centred on x, its bottom at bottom.
  void Badge(double x, double bottom, std::string_view text, Rgb colour) {
    const int size = 9;
    const double width = bold_.Measure(text, size) + 6;
    canvas_.FillRoundRect(Box{x - width / 2, bottom - 12, x + width / 2, bottom}, 3, kBadge, 0.7);
    bold_.DrawCentred(canvas_, x, bottom - 3, text, size, colour);
  }

  void Text(double x, double baseline, std::string_view text, int size, Rgb colour, bool bold) {
    (bold ? bold_ : regular_).Draw(canvas_, x, baseline, text, size, colour);
  }

  double Measure(std::string_view text, int size, bool bold) const {
    return (bold ? bold_ : regular_).Measure(text, size);
  }

 private:
  static std::size_t Columns(std::string_view text) {
    std::size_t n = 0;
    for (char c : text) {
      if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    }
    return n;
  }

  Canvas& canvas_;
  const Font& bold_;
  const Font& regular_;
};

// What a key prints: its default usage, or for a key that sends another key, that key.
std::string LegendOf(const profiles::BUTTON_INFO& key, BYTE defaultUsage) {
  if (key.Kind == profiles::KIND_FUNCTION && key.Function == core::kFunctionSingleKey) {
    const std::string_view sent = UsageLegend(core::SingleKeyUsage(key));
    if (!sent.empty()) return std::string(sent);
  }
  return std::string(UsageLegend(defaultUsage));
}

}  // namespace

sim::Pixels DrawKeyboard(const profiles::PROFILE_DATA& profile, int layout,
                         const std::string& profileName, KeyboardPictureInfo* info) {
  Canvas canvas(static_cast<int>(kWidth), static_cast<int>(kHeight), kPage);
  const Font bold(true);
  const Font regular(false);
  Painter paint(canvas, bold, regular);
  const profiles::LIGHT_DATA& lights = profile.LightData[layout];
  KeyboardPictureInfo drawn;
  drawn.text = bold.Usable();

  const std::string layoutName = ToUtf8(profiles::FixedText(lights.Name));
  paint.Text(kMargin, 36,
             profileName + "  ·  layout " + std::to_string(layout) + " \"" + layoutName + "\"", 20,
             kTitleText, true);
  paint.Text(kMargin, 58, EffectNote(profile, layout), 13, kNoteText, false);

  const Box body{kMargin, kTitleHeight, kWidth - kMargin, kHeight - kFooterHeight};
  canvas.FillRoundRect(Box{body.left - 1, body.top - 1, body.right + 1, body.bottom + 1}, 15,
                       kBodyEdge);
  canvas.FillRoundRect(body, 14, kBody);

  for (std::size_t i = 0; i < core::KeyPositionTable.gKeys.size(); ++i) {
    const std::string mark = FunctionMark(profile.GKeys[i]);
    paint.Key(core::KeyPositionTable.gKeys[i], lights.GKeyColor[i], "G" + std::to_string(i + 1),
              mark);
    ++drawn.keys;
    drawn.marked += !mark.empty();
  }
  for (std::size_t i = 0; i < core::KeyPositionTable.mainKeys.size(); ++i) {
    const core::KeyPosition position = core::KeyPositionTable.mainKeys[i];
    const std::string mark = FunctionMark(profile.Keys[i]);
    paint.Key(position, lights.KeyColor[i],
              LegendOf(profile.Keys[i], core::kDefaultKeyMatrix[position.Code()]), mark);
    ++drawn.keys;
    drawn.marked += !mark.empty();
  }

  // What the marks mean.
  double x = kMargin;
  const double baseline = kHeight - kFooterHeight + 36;
  for (const auto& [mark, meaning] :
       {std::pair<std::string_view, std::string_view>{"RUN", "starts a program"},
        {"MACRO", "plays a macro"},
        {"MODE", "selects a mode"},
        {"LEVEL", "lighting level"},
        {"KEY", "sends another key"},
        {"OFF", "turned off"},
        {"F…", "another function (its code)"}}) {
    const double width = paint.Measure(mark, 9, true) + 6;
    paint.Badge(x + width / 2, baseline + 2, mark, mark == "OFF" ? kOffLine : kLightText);
    x += width + 6;
    paint.Text(x, baseline, meaning, 12, kNoteText, false);
    x += paint.Measure(meaning, 12, false) + 22;
  }
  if (info != nullptr) *info = drawn;
  return canvas.Pixels();
}

}  // namespace kx::picture
