// A scenario: a kestrix-sim script whose comments also say how to prepare the agent's files
// before the run (lines "#@ ...") and what the run must leave behind (lines "#? ...").
//
// Preparation, in the user's application-data folder, through the agent's own file code:
//   #@ setting KEY VALUE                          config.ini, section Setting
//   #@ link "PROFILE" SLOT "PATH"                 a linked program (slot 0-4)
//   #@ key "PROFILE" KEY KIND FUNCTION ["PATH"]   KEY: G1-G6 or a main-key index 0-110
//   #@ effect "PROFILE" EFFECT [COLOUR]           the lighting header
// A profile that has no file yet starts as the factory profile of the mode its default name
// ("Profile N") gives, else blank.
//
// Expectations, checked after the run:
//   #? exit N                  the exit status (default 0)
//   #? stderr TEXT             standard error contains TEXT
//   #? stdin                   the script is given on standard input (--script -)
//   #? line PATTERN            a later log line matches (after the one matched last)
//   #? next PATTERN            the log line right after the one matched last matches
//   #? never PATTERN           no log line matches
//   #? count N PATTERN         exactly N log lines match
//   #? lines N                 the log has exactly N lines
//   #? ini "FILE" SECTION KEY = VALUE   a value (FILE below the application-data folder)
//   #? file "FILE" / #? nofile "FILE"  a file is there or not
//   #? pictures N              the number of progress-window pictures
// PATTERN and VALUE match whole text; * stands for any run of characters. A VALUE in double
// quotes is taken without them (so " " is one space).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kx::scenario {

struct Directive {
  std::size_t line = 0;           // in the scenario file
  std::string word;               // "line", "ini", "key" ...
  std::vector<std::string> args;  // the words after it (quotes removed)
  std::string rest;               // the text after the word, as written (patterns)
};

struct Scenario {
  std::vector<Directive> setup;
  std::vector<Directive> expectations;
};

// Nothing, with the reason in error, when the file cannot be read or a directive is malformed.
std::optional<Scenario> ReadScenario(const std::string& path, std::string* error);

// Whole-text match where * stands for any run of characters.
bool Matches(std::string_view pattern, std::string_view text);

}  // namespace kx::scenario
