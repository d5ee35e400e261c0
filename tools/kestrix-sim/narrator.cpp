#include "narrator.h"

#include <cstdio>
#include <vector>

namespace kx::simtool {

namespace {

constexpr std::size_t kWidth = 96;
constexpr std::string_view kIndent = "            ";  // the width of a stamp

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ')
      ++i;
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ')
      ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// Display width of UTF-8 text: continuation bytes take no column.
std::size_t Columns(std::string_view text) {
  std::size_t n = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  }
  return n;
}

}  // namespace

Narrator::Narrator(std::ostream& out, std::function<std::uint64_t()> clock)
    : out_(out), clock_(std::move(clock)) {}

std::string Narrator::Seconds(std::uint64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu.%03llu s", static_cast<unsigned long long>(ms / 1000),
                static_cast<unsigned long long>(ms % 1000));
  return text;
}

void Narrator::Plain(std::string_view text) {
  Write("", text);
}

void Narrator::Say(std::string_view text) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%10s  ", Seconds(clock_()).c_str());
  Write(stamp, text);
}

void Narrator::More(std::string_view text) {
  Write(kIndent, text);
}

void Narrator::Blank() {
  out_ << "\n" << std::flush;
}

void Narrator::Line(std::string_view text) {
  out_ << text << "\n" << std::flush;
}

void Narrator::Write(std::string_view firstPrefix, std::string_view text) {
  // Paragraphs without a stamp start at the margin and keep it; stamped ones hang under the
  // stamp.
  const std::string_view indent = firstPrefix.empty() ? std::string_view() : kIndent;
  std::string line(firstPrefix);
  std::size_t column = Columns(line);
  bool lineHasWord = false;
  for (std::string_view word : Words(text)) {
    const std::size_t wordColumns = Columns(word);
    if (lineHasWord && column + 1 + wordColumns > kWidth) {
      out_ << line << "\n";
      line = std::string(indent);
      column = indent.size();
      lineHasWord = false;
    }
    if (lineHasWord) {
      line += ' ';
      ++column;
    }
    line += word;
    column += wordColumns;
    lineHasWord = true;
  }
  out_ << line << "\n" << std::flush;
}

}  // namespace kx::simtool
