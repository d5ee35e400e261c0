// The built-in demonstration: the whole life of the agent, played on a running session and
// told in plain words with virtual timestamps, every statement taken from what the programs
// around the agent, the keyboard and the files show afterwards.
#pragma once

#include <filesystem>

#include "agent_session.h"
#include "event_log.h"
#include "narrator.h"

namespace kx::simtool {

struct DemoPlaces {
  std::filesystem::path log;          // the event log file
  std::filesystem::path screenshots;  // the progress-window pictures
  std::filesystem::path registry;     // the simulated registry's file
  std::filesystem::path tool;         // kestrix-tool, for the closing examples
};

// Starts the session's agent, plays the story and closes the agent (its end is the last step).
// Returns the process exit status.
int RunDemo(AgentSession& session, const EventLog& log, Narrator& narrator,
            const DemoPlaces& places);

}  // namespace kx::simtool
