// The event log of a run: what the programs around the agent and the keyboard observed, one
// event a line, "<virtual ms> <event>", in the order the events happened:
//
//   MSG "<title>" 0x<msg> 0x<wParam> 0x<lParam>   a window of another program received a message
//                                                  (title * for the broadcast "VELT_DEV_SYNC")
//   OSD "<text>" 0x<colour>                         the OSD program was given a text to show
//   LAUNCH "<path>"                                 a program was started through the shell
//   REG "<value name>" <data>                       a registry value was written
//   W u<usage> <hex bytes>                          a report written to the keyboard
//   R u<usage> <hex bytes>                          a report read from the keyboard
//
// Lines go to the sink as they happen (flushed, so nothing is lost if the run stops), and are
// kept in memory so the demonstration can tell what a step did.
#pragma once

#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace kx::simtool {

struct Event {
  enum class Kind : std::uint8_t { kMessage, kOsd, kLaunch, kRegistry, kWrite, kRead };
  Kind kind = Kind::kMessage;
  std::uint64_t timeMs = 0;  // since the agent started
  std::string title;         // kMessage: receiving window ("*" for the broadcast)
  UINT message = 0;          // kMessage
  WPARAM wParam = 0;         // kMessage
  LPARAM lParam = 0;         // kMessage
  std::string text;          // kOsd: the text; kLaunch: the path; kRegistry: the value name
  std::string data;          // kRegistry: the data as logged
  COLORREF colour = 0;       // kOsd
  WORD usage = 0;            // kWrite, kRead
  std::vector<BYTE> bytes;   // kWrite, kRead
};

// The event as a log line, without the line break.
std::string FormatEvent(const Event& event);
// Bytes as two-digit lower-case hex separated by single spaces.
std::string HexBytes(const std::vector<BYTE>& bytes);

class EventLog {
 public:
  // sink: where lines are written as they happen; null keeps them in memory only.
  explicit EventLog(std::ostream* sink = nullptr) : sink_(sink) {}

  // Safe on any thread.
  void Add(Event event);

  // The events so far, oldest first; and how many there are (a mark for EventsSince).
  std::vector<Event> Events() const;
  std::size_t Count() const;
  std::vector<Event> EventsSince(std::size_t mark) const;

 private:
  mutable std::mutex mutex_;
  std::ostream* sink_;
  std::vector<Event> events_;
};

}  // namespace kx::simtool
