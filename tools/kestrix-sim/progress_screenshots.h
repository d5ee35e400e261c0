// Pictures of the agent's progress window: one PNG each time its bar has painted a position
// that window has not shown before, named progress-<window>-<position>.png (window 01 is the
// first progress window of the run).
#pragma once

#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/sim/desktop.h"

namespace kx::ui {
class CProgressDlg;
}

namespace kx::simtool {

struct Screenshot {
  std::filesystem::path file;
  int window = 0;  // 1 for the first progress window of the run
  int position = 0;
  bool written = false;
};

class ProgressScreenshots {
 public:
  // folder: where the pictures go (created when the first one is taken); empty takes none.
  ProgressScreenshots(sim::Desktop& desktop, std::filesystem::path folder);

  // Called after a window handled a message, with the progress window the agent shows now
  // (or null).
  void AfterMessage(const Msg& msg, const ui::CProgressDlg* dialog);

  const std::vector<Screenshot>& Taken() const { return taken_; }

 private:
  sim::Desktop& desktop_;
  std::filesystem::path folder_;
  HWND current_ = nullptr;  // the progress window pictured last
  int windowNumber_ = 0;
  std::set<int> shownPositions_;
  std::vector<Screenshot> taken_;
};

}  // namespace kx::simtool
