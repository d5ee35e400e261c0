// kestrix-sim: the Kestrix agent, exactly the code CHidApp runs, on a simulated desktop with a
// virtual keyboard and the companion programs. Without --script it plays a narrated
// demonstration; with one it plays the script's commands. See --help.
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "agent_session.h"
#include "demo.h"
#include "event_log.h"
#include "narrator.h"
#include "options.h"
#include "platform/sim/temp_folder.h"
#include "script_runner.h"

namespace {

using namespace kx::simtool;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Where a run puts what the user did not name: a fresh folder, kept when something of the
// user's lands in it.
struct RunFolder {
  kx::sim::TempFolder folder{"kestrix-sim"};
  std::filesystem::path Use(const std::filesystem::path& given, const char* name) {
    if (!given.empty()) return given;
    folder.Keep();
    return folder.Path() / name;
  }
};

int Run(const Options& options) {
  RunFolder run;
  const bool demo = !options.script.has_value();

  SessionOptions session;
  session.desktopRoot = run.folder.Path() / "desktop";
  session.appData = run.Use(options.appData, "appdata");
  session.programFolder = KX_SIM_AGENT_DIR;
  session.screenshots = demo ? run.Use(options.screenshots, "screenshots") : options.screenshots;
  session.realTime = options.realTime;
  std::error_code ec;
  std::filesystem::create_directories(session.appData, ec);
  if (!std::filesystem::is_directory(session.appData, ec)) {
    std::cerr << "kestrix-sim: " << session.appData.string() << " is not a folder\n";
    return kExitFailed;
  }
  std::filesystem::create_directories(session.desktopRoot, ec);

  // The event log: a file when named (or for the demonstration), else standard output.
  const std::filesystem::path logPath = demo ? run.Use(options.log, "events.log") : options.log;
  std::ofstream logFile;
  if (!logPath.empty()) {
    logFile.open(logPath, std::ios::binary | std::ios::trunc);
    if (!logFile) {
      std::cerr << "kestrix-sim: cannot write the log " << logPath.string() << "\n";
      return kExitFailed;
    }
  }
  EventLog log(logPath.empty() ? &std::cout : &logFile);

  // The script, opened before anything runs so a wrong name changes nothing.
  std::ifstream scriptFile;
  std::istream* script = &std::cin;
  std::string scriptName = "standard input";
  if (!demo && *options.script != "-") {
    scriptFile.open(*options.script);
    if (!scriptFile) {
      std::cerr << "kestrix-sim: cannot read the script " << *options.script << "\n";
      return kExitUsage;
    }
    script = &scriptFile;
    scriptName = *options.script;
  }

  AgentSession agent(session, log);
  int status = kExitOk;
  if (demo) {
    Narrator narrator(std::cout, [&agent] { return agent.Elapsed(); });
    DemoPlaces places{logPath, session.screenshots, session.desktopRoot / "registry.reg",
                      KX_SIM_TOOL_PATH};
    status = RunDemo(agent, log, narrator, places);
  } else {
    if (!agent.Start()) {
      std::cerr << "kestrix-sim: the agent did not start\n";
      return kExitFailed;
    }
    const bool interactive = *options.script == "-" && ::isatty(STDIN_FILENO) != 0;
    if (interactive) {
      std::cerr << "The agent runs; the keyboard is unplugged. Type commands, one a line "
                   "(kestrix-sim --help lists them); end with quit or Ctrl-D.\n"
                   "A command that cannot be read ends the run.\n";
    }
    ScriptRunner runner(agent, *script, scriptName, interactive ? &std::cerr : nullptr);
    status = runner.Run(std::cerr);
    agent.Close();
    if (options.appData.empty()) {
      std::cerr << "kestrix-sim: the agent's files are in " << agent.DataFolder().string() << "\n";
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), &error);
  if (!options) {
    std::cerr << "kestrix-sim: " << error << "\n\n" << UsageText();
    return kExitUsage;
  }
  if (options->help) {
    std::cout << UsageText();
    return kExitOk;
  }
  return Run(*options);
}
