#include "platform/sim/recording_window.h"

#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/platform.h"

namespace kx::sim {

RecordingWindow::~RecordingWindow() = default;

bool RecordingWindow::Open(std::u16string_view title, std::u16string_view className, HWND parent) {
  WindowSpec spec;
  spec.title = std::u16string(title);
  spec.className = std::u16string(className);
  spec.parent = parent;
  spec.style = parent != nullptr ? WS_CHILD : WS_POPUP;
  spec.rect = RECT{0, 0, 1, 1};
  return CreateWindowObject(spec);
}

std::vector<ReceivedMessage> RecordingWindow::ReceivedOf(UINT message) const {
  std::vector<ReceivedMessage> out;
  for (const ReceivedMessage& m : received_) {
    if (m.message == message) out.push_back(m);
  }
  return out;
}

std::vector<std::pair<WPARAM, LPARAM>> RecordingWindow::ParamsOf(UINT message) const {
  std::vector<std::pair<WPARAM, LPARAM>> out;
  for (const ReceivedMessage& m : received_) {
    if (m.message == message) out.emplace_back(m.wParam, m.lParam);
  }
  return out;
}

LRESULT RecordingWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  ReceivedMessage m{os::Clock().NowMs(), message, wParam, lParam, 0, {}};
  if (message == WM_COPYDATA && lParam != 0) {
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    m.copyDataId = cds->dwData;
    if (cds->lpData != nullptr) {
      const auto* bytes = static_cast<const std::uint8_t*>(cds->lpData);
      m.copyData.assign(bytes, bytes + cds->cbData);
    }
  }
  received_.push_back(m);
  if (observer_) observer_(received_.back());
  if (handler_) {
    bool handled = false;
    LRESULT result = handler_(message, wParam, lParam, &handled);
    if (handled) return result;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace kx::sim
