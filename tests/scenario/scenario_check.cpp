// Runs one scenario: prepares the agent's files, plays the script with kestrix-sim (event log,
// application data and pictures in a fresh work folder) and checks the log, the exit status
// and the files left behind against the scenario's expectations.
//
//   scenario_check KESTRIX-SIM SCENARIO WORKDIR
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "scenario_file.h"
#include "scenario_setup.h"
#include "support/run_program.h"

namespace {

using namespace kx::scenario;
using kx::testsupport::ShellQuoted;
namespace fs = std::filesystem;

std::vector<std::string> ReadLines(const fs::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::string ReadText(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class Checker {
 public:
  Checker(std::vector<std::string> log, std::string errors, int exitStatus, fs::path work)
      : log_(std::move(log)),
        errors_(std::move(errors)),
        exit_(exitStatus),
        work_(std::move(work)) {}

  // Checks every expectation; prints each that fails.
  int Check(const std::vector<Directive>& expectations) {
    int expectedExit = 0;
    for (const Directive& d : expectations) {
      if (d.word == "exit" && d.args.size() == 1) {
        expectedExit = std::atoi(d.args[0].c_str());
      } else if (d.word != "stdin") {
        Expect(d);
      }
    }
    if (exit_ != expectedExit) {
      Fail(0, "kestrix-sim exited with " + std::to_string(exit_) + ", expected " +
                  std::to_string(expectedExit));
    }
    return failures_ == 0 ? 0 : 1;
  }

 private:
  void Expect(const Directive& d) {
    const std::string& pattern = d.rest;
    if (d.word == "line") {
      for (std::size_t i = cursor_; i < log_.size(); ++i) {
        if (Matches(pattern, log_[i])) {
          cursor_ = i + 1;
          return;
        }
      }
      Fail(d.line, "no log line after line " + std::to_string(cursor_) + " matches: " + pattern);
    } else if (d.word == "next") {
      if (cursor_ < log_.size() && Matches(pattern, log_[cursor_])) {
        ++cursor_;
        return;
      }
      Fail(d.line, "log line " + std::to_string(cursor_ + 1) + " is \"" +
                       (cursor_ < log_.size() ? log_[cursor_] : "<end>") +
                       "\", expected: " + pattern);
    } else if (d.word == "never") {
      for (std::size_t i = 0; i < log_.size(); ++i) {
        if (Matches(pattern, log_[i]))
          Fail(d.line, "log line " + std::to_string(i + 1) + " matches: " + pattern);
      }
    } else if (d.word == "count" && !d.args.empty()) {
      const std::string rest = pattern.substr(pattern.find_first_of(' ') + 1);
      std::size_t n = 0;
      for (const std::string& line : log_)
        n += Matches(rest, line);
      if (std::to_string(n) != d.args[0]) {
        Fail(d.line, std::to_string(n) + " log lines match, expected " + d.args[0] + ": " + rest);
      }
    } else if (d.word == "lines" && d.args.size() == 1) {
      if (std::to_string(log_.size()) != d.args[0]) {
        Fail(d.line,
             "the log has " + std::to_string(log_.size()) + " lines, expected " + d.args[0]);
      }
    } else if (d.word == "stderr") {
      if (errors_.find(pattern) == std::string::npos) {
        Fail(d.line, "standard error does not say: " + pattern + "\n  it says: " + errors_);
      }
    } else if (d.word == "ini" && d.args.size() >= 4 && d.args[3] == "=") {
      ExpectIni(d);
    } else if ((d.word == "file" || d.word == "nofile") && d.args.size() == 1) {
      std::error_code ec;
      const bool there = fs::exists(work_ / "appdata" / d.args[0], ec);
      if (there != (d.word == "file")) {
        Fail(d.line, d.args[0] + (there ? " is there" : " is missing"));
      }
    } else if (d.word == "pictures" && d.args.size() == 1) {
      std::size_t n = 0;
      std::error_code ec;
      for (const auto& entry : fs::directory_iterator(work_ / "pictures", ec))
        n += entry.path().extension() == ".png" && fs::file_size(entry.path(), ec) > 0;
      if (std::to_string(n) != d.args[0]) {
        Fail(d.line, std::to_string(n) + " pictures, expected " + d.args[0]);
      }
    } else {
      Fail(d.line, "cannot read \"#? " + d.word + " " + d.rest + "\"");
    }
  }

  void ExpectIni(const Directive& d) {
    // The value is everything after " = ", so it may hold spaces and quotes.
    std::string expected = d.rest.substr(d.rest.find(" = ") + 3);
    if (expected.size() >= 2 && expected.front() == '"' && expected.back() == '"') {
      expected = expected.substr(1, expected.size() - 2);
    }
    const auto value = ReadIniText(work_ / "appdata", d.args[0], d.args[1], d.args[2]);
    if (!value) {
      Fail(d.line, d.args[0] + " is missing");
    } else if (!Matches(expected, *value)) {
      Fail(d.line, d.args[0] + " [" + d.args[1] + "] " + d.args[2] + " is \"" + *value +
                       "\", expected \"" + expected + "\"");
    }
  }

  void Fail(std::size_t line, const std::string& message) {
    ++failures_;
    std::cerr << (line > 0 ? "line " + std::to_string(line) + ": " : std::string()) << message
              << "\n";
  }

  std::vector<std::string> log_;
  std::string errors_;
  int exit_;
  fs::path work_;
  std::size_t cursor_ = 0;
  int failures_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: scenario_check KESTRIX-SIM SCENARIO WORKDIR\n";
    return 2;
  }
  const std::string sim = argv[1];
  const std::string scenarioFile = argv[2];
  const fs::path work = argv[3];

  std::string error;
  const auto scenario = ReadScenario(scenarioFile, &error);
  if (!scenario) {
    std::cerr << error << "\n";
    return 2;
  }
  std::error_code ec;
  fs::remove_all(work, ec);
  fs::create_directories(work / "appdata", ec);
  if (!PrepareFiles(scenario->setup, work / "appdata", &error)) {
    std::cerr << scenarioFile << ", " << error << "\n";
    return 2;
  }

  bool viaStdin = false;
  for (const Directive& d : scenario->expectations)
    viaStdin = viaStdin || d.word == "stdin";
  const fs::path log = work / "events.log";
  std::string command = ShellQuoted(sim) + " --script " +
                        (viaStdin ? std::string("-") : ShellQuoted(scenarioFile)) + " --log " +
                        ShellQuoted(log.string()) + " --appdata " +
                        ShellQuoted((work / "appdata").string()) + " --screenshots " +
                        ShellQuoted((work / "pictures").string()) + " 2> " +
                        ShellQuoted((work / "stderr.txt").string());
  if (viaStdin) command += " < " + ShellQuoted(scenarioFile);
  const int status = std::system(command.c_str());
  const int exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;

  Checker checker(ReadLines(log), ReadText(work / "stderr.txt"), exitStatus, work);
  const int result = checker.Check(scenario->expectations);
  if (result != 0) std::cerr << "the log of this run: " << log.string() << "\n";
  return result;
}
