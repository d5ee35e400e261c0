#include "scenario_file.h"

#include <fstream>

namespace kx::scenario {

namespace {

std::string Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r");
  return std::string(text.substr(first, last - first + 1));
}

// Words and double-quoted texts.
bool SplitWords(std::string_view text, std::vector<std::string>* words) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ' || text[i] == '\t' || text[i] == '\r') {
      ++i;
    } else if (text[i] == '"') {
      const std::size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos) return false;
      words->emplace_back(text.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      const std::size_t start = i;
      while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r')
        ++i;
      words->emplace_back(text.substr(start, i - start));
    }
  }
  return true;
}

}  // namespace

bool Matches(std::string_view pattern, std::string_view text) {
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t star = std::string_view::npos;
  std::size_t resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

std::optional<Scenario> ReadScenario(const std::string& path, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = "cannot read " + path;
    return std::nullopt;
  }
  Scenario scenario;
  std::string text;
  for (std::size_t number = 1; std::getline(in, text); ++number) {
    const std::string line = Trim(text);
    const bool setup = line.rfind("#@", 0) == 0;
    const bool expectation = line.rfind("#?", 0) == 0;
    if (!setup && !expectation) continue;
    Directive d;
    d.line = number;
    const std::string body = Trim(std::string_view(line).substr(2));
    const std::size_t space = body.find_first_of(" \t");
    d.word = body.substr(0, space);
    d.rest = space == std::string::npos ? std::string() : Trim(body.substr(space));
    if (d.word.empty() || !SplitWords(d.rest, &d.args)) {
      *error = path + ":" + std::to_string(number) + ": cannot read this directive";
      return std::nullopt;
    }
    (setup ? scenario.setup : scenario.expectations).push_back(std::move(d));
  }
  return scenario;
}

}  // namespace kx::scenario
