#include "options.h"

namespace kx::simtool {

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string* error) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const std::size_t equals = name.find('=');
        name.rfind("--", 0) == 0 && equals != name.npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    if (name == "--realtime" || name == "--help" || name == "-h") {
      if (value) {
        *error = name + " takes no value";
        return std::nullopt;
      }
      (name == "--realtime" ? options.realTime : options.help) = true;
      continue;
    }
    if (name != "--appdata" && name != "--script" && name != "--log" && name != "--screenshots") {
      *error = "unknown option " + name;
      return std::nullopt;
    }
    if (!value) {
      if (i + 1 >= args.size()) {
        *error = name + " needs a value";
        return std::nullopt;
      }
      value = args[++i];
    }
    if (value->empty()) {
      *error = name + " needs a value";
      return std::nullopt;
    }
    if (name == "--appdata") options.appData = *value;
    if (name == "--script") options.script = *value;
    if (name == "--log") options.log = *value;
    if (name == "--screenshots") options.screenshots = *value;
  }
  return options;
}

std::string UsageText() {
  return R"(usage: kestrix-sim [--script FILE|-] [--appdata DIR] [--log FILE] [--screenshots DIR] [--realtime]

Runs the Kestrix agent on a simulated desktop with a virtual keyboard and the programs it
works with. Without --script it plays a narrated demonstration.

  --script FILE     play the commands in FILE instead (- reads standard input)
  --appdata DIR     the user's application-data folder: the agent's files go to DIR/Kestrix
                    (default: a fresh folder)
  --log FILE        write the event log to FILE (default: the demonstration writes it into
                    its fresh folder; a script writes it to standard output)
  --screenshots DIR write a PNG of the progress window at every position it shows
  --realtime        pauses take real time, so a person can watch

Script commands, one per line (# starts a comment):
  plug | unplug | firmware A B | report <hex bytes> | post <msg> <wParam> <lParam>
  broadcast <code> <lParam> | foreground <exe name> | window "<title>" | close "<title>"
  wait <ms> | registry create|delete "<key path>" | quit
)";
}

}  // namespace kx::simtool
