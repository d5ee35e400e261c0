// Plays a script against a running agent session, line by line, as the lines come (so a person
// can type them). An unknown or malformed command stops the script: its line number and what
// is wrong go to the error stream, and the result is kExitScriptError.
#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "agent_session.h"
#include "script_parser.h"

namespace kx::simtool {

inline constexpr int kExitScriptError = 2;

class ScriptRunner {
 public:
  // name: how errors name the script ("standard input" for -). prompt: where to show a prompt
  // before each line, or null for none.
  ScriptRunner(AgentSession& session, std::istream& in, std::string name, std::ostream* prompt);

  // Runs to the end of the script or its quit; 0, or kExitScriptError after a bad line.
  int Run(std::ostream& errors);

 private:
  // False when the command cannot be carried out (the error says why).
  bool Execute(const ScriptCommand& command, std::string* error);

  AgentSession& session_;
  std::istream& in_;
  std::string name_;
  std::ostream* prompt_;
};

}  // namespace kx::simtool
