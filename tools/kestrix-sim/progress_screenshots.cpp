#include "progress_screenshots.h"

#include <cstdio>
#include <system_error>

#include "ui/progress_dlg.h"

namespace kx::simtool {

ProgressScreenshots::ProgressScreenshots(sim::Desktop& desktop, std::filesystem::path folder)
    : desktop_(desktop), folder_(std::move(folder)) {}

void ProgressScreenshots::AfterMessage(const Msg& msg, const ui::CProgressDlg* dialog) {
  if (folder_.empty() || dialog == nullptr || msg.message != WM_PAINT) return;
  // The bar paints itself at once on every move, while the agent's loop is blocked.
  if (msg.hwnd != dialog->m_marker.Handle()) return;
  if (dialog->Handle() != current_) {
    current_ = dialog->Handle();
    ++windowNumber_;
    shownPositions_.clear();
  }
  const int position = dialog->m_marker.m_nPos;
  if (!shownPositions_.insert(position).second) return;

  char name[40];
  std::snprintf(name, sizeof name, "progress-%02d-%03d.png", windowNumber_, position);
  Screenshot shot{folder_ / name, windowNumber_, position, false};
  std::error_code ec;
  std::filesystem::create_directories(folder_, ec);
  shot.written = !ec && desktop_.Graphics().Screenshot(dialog->Handle(), shot.file);
  taken_.push_back(std::move(shot));
}

}  // namespace kx::simtool
