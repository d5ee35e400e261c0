#include "script_runner.h"

#include "platform/text_util.h"

namespace kx::simtool {

ScriptRunner::ScriptRunner(AgentSession& session, std::istream& in, std::string name,
                           std::ostream* prompt)
    : session_(session), in_(in), name_(std::move(name)), prompt_(prompt) {}

int ScriptRunner::Run(std::ostream& errors) {
  std::string line;
  for (std::size_t number = 1;; ++number) {
    if (prompt_ != nullptr) *prompt_ << "kestrix> " << std::flush;
    if (!std::getline(in_, line)) break;
    const ParsedLine parsed = ParseScriptLine(line);
    std::string error = parsed.error;
    if (error.empty() && parsed.command) {
      if (parsed.command->kind == ScriptCommand::Kind::kQuit) return 0;
      Execute(*parsed.command, &error);
    }
    if (!error.empty()) {
      errors << "kestrix-sim: " << name_ << ", line " << number << ": " << error << "\n";
      return kExitScriptError;
    }
  }
  if (prompt_ != nullptr) *prompt_ << "\n";
  return 0;
}

bool ScriptRunner::Execute(const ScriptCommand& c, std::string* error) {
  using Kind = ScriptCommand::Kind;
  switch (c.kind) {
    case Kind::kPlug:
      session_.Plug();
      break;
    case Kind::kUnplug:
      session_.Unplug();
      break;
    case Kind::kFirmware:
      session_.SetFirmware(c.major, c.minor);
      break;
    case Kind::kReport:
      session_.SendReport(c.bytes);
      break;
    case Kind::kPost:
      session_.PostToAgent(c.message, c.wParam, c.lParam);
      break;
    case Kind::kBroadcast:
      session_.Broadcast(c.wParam, c.lParam);
      break;
    case Kind::kForeground:
      session_.BringToForeground(FromUtf8(c.text));
      break;
    case Kind::kWindow:
      session_.OpenWindow(FromUtf8(c.text));
      break;
    case Kind::kClose:
      if (!session_.CloseWindow(FromUtf8(c.text))) {
        *error = "no window of another program is titled \"" + c.text + "\"";
        return false;
      }
      break;
    case Kind::kWait:
      session_.Wait(c.ms);
      break;
    case Kind::kRegistryCreate:
      session_.CreateRegistryKey(FromUtf8(c.text));
      break;
    case Kind::kRegistryDelete:
      session_.DeleteRegistryKey(FromUtf8(c.text));
      break;
    case Kind::kQuit:
      break;
  }
  return true;
}

}  // namespace kx::simtool
