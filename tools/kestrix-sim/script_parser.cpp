#include "script_parser.h"

#include <limits>

#include "platform/text_util.h"

namespace kx::simtool {

namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// Splits a line into words and quoted texts; a # outside quotes ends the line.
bool Tokenize(std::string_view line, std::vector<Token>* tokens, std::string* error) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (IsBlank(line[i])) {
      ++i;
      continue;
    }
    if (line[i] == '#') break;
    Token token;
    if (line[i] == '"') {
      const std::size_t close = line.find('"', i + 1);
      if (close == std::string_view::npos) {
        *error = "a text in quotes has no closing quote";
        return false;
      }
      token.text = std::string(line.substr(i + 1, close - i - 1));
      token.quoted = true;
      i = close + 1;
      if (i < line.size() && !IsBlank(line[i]) && line[i] != '#') {
        *error = "a closing quote must be followed by a space";
        return false;
      }
    } else {
      const std::size_t start = i;
      while (i < line.size() && !IsBlank(line[i]) && line[i] != '#')
        ++i;
      token.text = std::string(line.substr(start, i - start));
    }
    tokens->push_back(std::move(token));
  }
  return true;
}

struct Number {
  bool negative = false;
  std::uint64_t magnitude = 0;
};

// Decimal, 0x-hex, either with a leading minus.
std::optional<Number> ParseNumber(const Token& token) {
  if (token.quoted) return std::nullopt;
  std::string_view s = token.text;
  Number n;
  if (!s.empty() && s[0] == '-') {
    n.negative = true;
    s.remove_prefix(1);
  }
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  for (char c : s) {
    const int digit = HexDigitValue(c);
    if (digit < 0 || digit >= base) return std::nullopt;
    if (n.magnitude > (std::numeric_limits<std::uint64_t>::max() - static_cast<unsigned>(digit)) /
                          static_cast<unsigned>(base)) {
      return std::nullopt;  // too large for 64 bits
    }
    n.magnitude = n.magnitude * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
  }
  return n;
}

// A pointer-sized parameter: negative numbers wrap (-1 sets every bit).
std::optional<std::uint64_t> PointerSized(const Token& token) {
  const auto n = ParseNumber(token);
  if (!n) return std::nullopt;
  if (!n->negative) return n->magnitude;
  if (n->magnitude > (std::uint64_t{1} << 63)) return std::nullopt;
  return std::uint64_t{0} - n->magnitude;
}

std::optional<std::uint64_t> Unsigned(const Token& token, std::uint64_t highest) {
  const auto n = ParseNumber(token);
  if (!n || (n->negative && n->magnitude != 0) || n->magnitude > highest) return std::nullopt;
  return n->magnitude;
}

// One report byte: one or two hex digits, with or without 0x.
std::optional<BYTE> ReportByte(const Token& token) {
  std::string_view s = token.text;
  if (token.quoted) return std::nullopt;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2);
  if (s.empty() || s.size() > 2) return std::nullopt;
  int value = 0;
  for (char c : s) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + digit;
  }
  return static_cast<BYTE>(value);
}

using Kind = ScriptCommand::Kind;

ParsedLine Fail(std::string error) {
  return ParsedLine{std::nullopt, std::move(error)};
}

ParsedLine Done(ScriptCommand command) {
  return ParsedLine{std::move(command), {}};
}

ParsedLine ParseCommand(const std::vector<Token>& t) {
  const std::string& word = t[0].text;
  const std::size_t args = t.size() - 1;
  ScriptCommand c;

  if (SameWord(word, "plug") || SameWord(word, "unplug") || SameWord(word, "quit")) {
    if (args != 0) return Fail("\"" + word + "\" takes nothing after it");
    c.kind = SameWord(word, "plug")     ? Kind::kPlug
             : SameWord(word, "unplug") ? Kind::kUnplug
                                        : Kind::kQuit;
    return Done(c);
  }
  if (SameWord(word, "firmware")) {
    const auto a = args == 2 ? Unsigned(t[1], 255) : std::nullopt;
    const auto b = args == 2 ? Unsigned(t[2], 255) : std::nullopt;
    if (!a || !b) return Fail("\"firmware\" takes two numbers from 0 to 255, as in: firmware 1 3");
    c.kind = Kind::kFirmware;
    c.major = static_cast<BYTE>(*a);
    c.minor = static_cast<BYTE>(*b);
    return Done(c);
  }
  if (SameWord(word, "report")) {
    if (args == 0) {
      return Fail(
          "\"report\" takes the report's bytes in hex, as in: report 0d 03 02 00 00 00 00 00 00");
    }
    c.kind = Kind::kReport;
    for (std::size_t i = 1; i < t.size(); ++i) {
      const auto byte = ReportByte(t[i]);
      if (!byte) return Fail("\"" + t[i].text + "\" is not a byte in hex (two digits, as in 0d)");
      c.bytes.push_back(*byte);
    }
    return Done(c);
  }
  if (SameWord(word, "post")) {
    const auto message = args == 3 ? Unsigned(t[1], 0xFFFFFFFFu) : std::nullopt;
    const auto w = args == 3 ? PointerSized(t[2]) : std::nullopt;
    const auto l = args == 3 ? PointerSized(t[3]) : std::nullopt;
    if (!message || !w || !l) {
      return Fail(
          "\"post\" takes a message number (0 to 0xffffffff) and two parameters, as in: "
          "post 0x658 3 0");
    }
    c.kind = Kind::kPost;
    c.message = static_cast<UINT>(*message);
    c.wParam = static_cast<WPARAM>(*w);
    c.lParam = static_cast<LPARAM>(*l);
    return Done(c);
  }
  if (SameWord(word, "broadcast")) {
    const auto code = args == 2 ? PointerSized(t[1]) : std::nullopt;
    const auto l = args == 2 ? PointerSized(t[2]) : std::nullopt;
    if (!code || !l) return Fail("\"broadcast\" takes a code and a value, as in: broadcast 1 -1");
    c.kind = Kind::kBroadcast;
    c.wParam = static_cast<WPARAM>(*code);
    c.lParam = static_cast<LPARAM>(*l);
    return Done(c);
  }
  if (SameWord(word, "foreground")) {
    if (args != 1 || t[1].text.empty()) {
      return Fail("\"foreground\" takes an executable name, as in: foreground racer.exe");
    }
    c.kind = Kind::kForeground;
    c.text = t[1].text;
    return Done(c);
  }
  if (SameWord(word, "window") || SameWord(word, "close")) {
    if (args != 1) {
      return Fail("\"" + word + "\" takes a window title in quotes, as in: " + word +
                  " \"ManageProfile\"");
    }
    c.kind = SameWord(word, "window") ? Kind::kWindow : Kind::kClose;
    c.text = t[1].text;
    return Done(c);
  }
  if (SameWord(word, "wait")) {
    const auto ms = args == 1 ? Unsigned(t[1], kLongestWaitMs) : std::nullopt;
    if (!ms) {
      return Fail("\"wait\" takes a number of milliseconds from 0 to " +
                  std::to_string(kLongestWaitMs) + ", as in: wait 2000");
    }
    c.kind = Kind::kWait;
    c.ms = *ms;
    return Done(c);
  }
  if (SameWord(word, "registry")) {
    const bool create = args == 2 && !t[1].quoted && SameWord(t[1].text, "create");
    const bool remove = args == 2 && !t[1].quoted && SameWord(t[1].text, "delete");
    if ((!create && !remove) || t[2].text.empty()) {
      return Fail(
          "\"registry\" takes create or delete and a key path in quotes, as in: "
          "registry delete \"SOFTWARE\\Kestrix\"");
    }
    c.kind = create ? Kind::kRegistryCreate : Kind::kRegistryDelete;
    c.text = t[2].text;
    return Done(c);
  }
  return Fail("unknown command \"" + word +
              "\" (the commands are plug, unplug, firmware, report, post, broadcast, "
              "foreground, window, close, wait, registry and quit)");
}

}  // namespace

ParsedLine ParseScriptLine(std::string_view line) {
  std::vector<Token> tokens;
  std::string error;
  if (!Tokenize(line, &tokens, &error)) return Fail(error);
  if (tokens.empty()) return ParsedLine{};
  if (tokens[0].quoted) return Fail("a line starts with a command, not a text in quotes");
  return ParseCommand(tokens);
}

}  // namespace kx::simtool
