// A window of another program (the configuration program, the tray program, "DLGLoading" ...)
// that records every message it receives, with the time and, for WM_COPYDATA, the bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/window.h"

namespace kx::sim {

struct ReceivedMessage {
  std::uint64_t timeMs = 0;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::uintptr_t copyDataId = 0;       // WM_COPYDATA only
  std::vector<std::uint8_t> copyData;  // WM_COPYDATA only: the record's bytes
};

class RecordingWindow : public Window {
 public:
  RecordingWindow() = default;
  ~RecordingWindow() override;

  // Creates a top-level window (or a child of parent) with this title and class.
  bool Open(std::u16string_view title, std::u16string_view className = u"", HWND parent = nullptr);

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  const std::vector<ReceivedMessage>& Received() const { return received_; }
  // The messages received with this number, in order.
  std::vector<ReceivedMessage> ReceivedOf(UINT message) const;
  // The parameters (wParam, lParam) of the messages received with this number, in order.
  std::vector<std::pair<WPARAM, LPARAM>> ParamsOf(UINT message) const;
  void ClearReceived() { received_.clear(); }
  // Called for every message after it is recorded (the main job's event log).
  void SetObserver(std::function<void(const ReceivedMessage&)> observer) {
    observer_ = std::move(observer);
  }
  // What the window answers to a message; by default the system's default handling (so
  // WM_CLOSE closes it).
  void SetHandler(std::function<LRESULT(UINT, WPARAM, LPARAM, bool* handled)> handler) {
    handler_ = std::move(handler);
  }

 private:
  std::vector<ReceivedMessage> received_;
  std::function<void(const ReceivedMessage&)> observer_;
  std::function<LRESULT(UINT, WPARAM, LPARAM, bool*)> handler_;
};

}  // namespace kx::sim
