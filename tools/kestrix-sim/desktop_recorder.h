// Watches the simulated desktop for everything the programs around the agent and the keyboard
// observe, and writes it to the event log: messages that windows of other programs receive,
// the texts given to the OSD program, program starts, registry values and the reports on the
// wire.
//
// Only messages that another program posted or sent are logged, not the window system's own
// messages about a window's life (creation, painting, destruction). A broadcast is queued for
// every top-level window; it is logged once, with the title *, when the first of them gets it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "event_log.h"
#include "platform/messages.h"
#include "platform/sim/desktop.h"

namespace kx::simtool {

class DesktopRecorder {
 public:
  DesktopRecorder(sim::Desktop& desktop, EventLog& log);
  ~DesktopRecorder();
  DesktopRecorder(const DesktopRecorder&) = delete;
  DesktopRecorder& operator=(const DesktopRecorder&) = delete;

  // Starts recording; event times count from now (the agent's start).
  void Start();
  // Milliseconds since Start on the desktop's clock.
  std::uint64_t Elapsed() const;
  // Called after any window has handled a message (the progress-window pictures).
  void SetHandledHook(std::function<void(const Msg&)> hook) { handledHook_ = std::move(hook); }

 private:
  struct Pending {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::uint64_t broadcast = 0;  // the broadcast it belongs to; 0 for a plain post
  };

  void OnPosted(const Msg& posted, const std::vector<HWND>& queuedFor);
  void OnDelivered(const Msg& msg);
  // Takes the posted message this delivery is, if it is one.
  bool TakePending(const Msg& msg, Pending* taken);
  void AddMessage(std::string title, const Msg& msg);
  void AddOsdText(const Msg& msg);

  sim::Desktop& desktop_;
  EventLog& log_;
  std::uint64_t startMs_ = 0;
  std::function<void(const Msg&)> handledHook_;

  std::mutex mutex_;  // guards the members below (posts come from any thread)
  std::map<HWND, std::deque<Pending>> pending_;
  std::uint64_t nextBroadcast_ = 1;
  std::set<std::uint64_t> unloggedBroadcasts_;  // posted, not yet received by any window
};

}  // namespace kx::simtool
