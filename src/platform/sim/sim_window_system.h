// The simulated desktop's window system: windows by class and title in z-order, one message
// queue for the user-interface thread (posts from any thread, order kept), timers on the
// desktop's clock, painting, capture and focus. Tests and tools pump it until idle or for a
// span of virtual time.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>  // IWYU pragma: keep
#include <vector>

#include "platform/messages.h"
#include "platform/sim/sim_clock.h"
#include "platform/window_system.h"

namespace kx::sim {

class SimWindowSystem final : public WindowSystem {
 public:
  explicit SimWindowSystem(SimClock& clock);
  ~SimWindowSystem() override;

  HWND Create(Window& window, const WindowSpec& spec) override;
  bool Destroy(HWND window) override;
  bool IsWindow(HWND window) const override;
  Window* FromHandle(HWND window) const override;
  HWND Find(std::u16string_view cls, std::u16string_view title) const override;
  HWND FindChild(HWND parent, std::u16string_view title) const override;
  bool SetText(HWND window, std::u16string_view text) override;
  std::u16string GetText(HWND window) const override;
  std::u16string ClassNameOf(HWND window) const override;
  HWND GetParent(HWND window) const override;
  DWORD GetStyle(HWND window) const override;
  DWORD GetExStyle(HWND window) const override;

  bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  bool HandlingSentMessage() const override;
  UINT RegisterMessage(std::u16string_view name) override;
  LRESULT DefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  bool SetTimer(HWND window, UINT_PTR id, UINT ms) override;
  bool KillTimer(HWND window, UINT_PTR id) override;

  bool NextMessage(Msg& msg) override;
  LRESULT Dispatch(const Msg& msg) override;
  void PostQuit(int exitCode) override;

  bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy,
                    UINT flags) override;
  bool Show(HWND window, int command) override;
  bool IsVisible(HWND window) const override;
  RECT GetWindowRect(HWND window) const override;
  RECT GetClientRect(HWND window) const override;
  POINT ClientToScreen(HWND window, POINT point) const override;
  POINT ScreenToClient(HWND window, POINT point) const override;
  bool Invalidate(HWND window, const RECT* rect, bool erase) override;
  bool Update(HWND window) override;
  bool TakeInvalidArea(HWND window, RECT* area, bool* erase) override;
  HWND SetCapture(HWND window) override;
  bool ReleaseCapture() override;
  HWND GetCapture() const override;
  HWND SetFocus(HWND window) override;
  HWND GetFocus() const override;

  // --- The desktop's own controls (tests, tools, companion programs) ---

  // Dispatches one message that is ready now (posted, paint, or a timer that is due) through the
  // framework's pre-translation; false when nothing is ready. Never waits or moves time on.
  bool PumpOne();
  // Dispatches until nothing is ready; returns how many messages were dispatched.
  std::size_t RunUntilIdle();
  // Lets `ms` of time pass: dispatches everything that is ready, moving virtual time on to each
  // timer that falls due within the span (in real time: waiting for it, and for posts from
  // other threads). Time spent sleeping inside handlers counts towards the span.
  void RunFor(std::uint64_t ms);
  // Whether a WM_QUIT was posted, and its exit code.
  bool QuitPosted() const;
  int ExitCode() const;
  // Messages waiting in the queue (posted only).
  std::size_t QueuedCount() const;

  // The process that owns a window (0 until set; the desktop gives new windows the process
  // that is creating them).
  void SetWindowProcess(HWND window, DWORD processId);
  DWORD WindowProcess(HWND window) const;
  void SetCreatingProcess(DWORD processId) { creatingProcess_ = processId; }
  DWORD CreatingProcess() const { return creatingProcess_; }

  // Top-level windows in z-order, front first; and the children of a window, front first.
  std::vector<HWND> TopLevelWindows() const;
  std::vector<HWND> Children(HWND window) const;
  // The deepest visible window under a screen point, or null.
  HWND WindowAt(POINT screen) const;
  // Mouse input as the system routes it: to the capture window, else the window under the
  // point; posted with client coordinates in lParam.
  bool PostMouse(UINT message, POINT screen, WPARAM keys = 0);
  // The timers of a window: id -> period in ms.
  std::map<UINT_PTR, UINT> Timers(HWND window) const;
  // Called for every message a window receives through Send or Dispatch, before its window
  // procedure runs (used by the event log of the main job).
  void SetDeliveryObserver(std::function<void(const Msg&)> observer);
  // Called after the window procedure has handled a message delivered through Send or Dispatch.
  void SetHandledObserver(std::function<void(const Msg&)> observer);
  // Called for every successful Post, with the windows the message was queued for (every
  // top-level window for a broadcast), on the posting thread with the window system locked:
  // it must not call the window system.
  using PostObserver = std::function<void(const Msg& posted, const std::vector<HWND>& queuedFor)>;
  void SetPostObserver(PostObserver observer);
  // Called once for every window as it goes, after its last message (the desktop's graphics
  // free its surface and region).
  void SetDestroyHook(std::function<void(HWND)> hook);
  // Refuses creating every window for which the predicate answers true (as a system out of
  // window resources would); null refuses none.
  void SetCreateRefusal(std::function<bool(const WindowSpec&)> refuse);

 private:
  struct WindowRecord {
    HWND handle = nullptr;
    Window* object = nullptr;
    std::u16string className;
    std::u16string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect;              // relative to the parent's client area for a child, else screen
    HWND parent = nullptr;  // parent of a child, owner of a top-level window
    UINT_PTR id = 0;
    DWORD processId = 0;
    bool visible = false;
    bool destroying = false;
    bool invalid = false;
    bool erase = false;
    RECT invalidRect;
    std::vector<HWND> children;  // child windows, front first
  };

  struct Timer {
    UINT period = 0;
    std::uint64_t due = 0;
  };

  const WindowRecord* RecordLocked(HWND window) const;
  WindowRecord* RecordLocked(HWND window);
  void PlaceInZOrderLocked(std::vector<HWND>& list, HWND window, HWND insertAfter, bool topmost);
  void RemoveFromZOrderLocked(HWND window);
  void SendDestroyTree(HWND window);
  void SendNcDestroyTree(HWND window);
  bool TakeReadyMessage(Msg& msg);
  bool NextTimerDue(std::uint64_t* due) const;
  // Hands a message to its window's procedure: sent, or taken from the queue by a dispatch.
  LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool sent = true);
  POINT ScreenOriginLocked(HWND window) const;
  void WaitForPostUntil(std::uint64_t deadlineMs);

  SimClock& clock_;
  mutable std::mutex mutex_;  // guards everything below
  std::condition_variable posted_;
  std::map<std::uintptr_t, WindowRecord> windows_;  // by handle: a stable order
  std::vector<HWND> topLevel_;                      // front first; top-most windows lead
  std::deque<Msg> queue_;
  std::map<std::pair<std::uintptr_t, UINT_PTR>, Timer> timers_;
  std::map<std::u16string, UINT> registered_;
  UINT nextRegistered_ = kFirstRegisteredMessage;
  std::uintptr_t nextHandle_ = 0x10010;
  HWND capture_ = nullptr;
  HWND focus_ = nullptr;
  bool quit_ = false;
  int exitCode_ = 0;
  DWORD creatingProcess_ = 0;
  std::function<void(const Msg&)> observer_;
  std::function<void(const Msg&)> handledObserver_;
  PostObserver postObserver_;
  std::function<void(HWND)> destroyHook_;
  std::function<bool(const WindowSpec&)> refuseCreate_;
};

// While it lives, windows created on the desktop belong to this process; then the process
// that was creating them before does again.
class CreatingProcessScope {
 public:
  CreatingProcessScope(SimWindowSystem& windows, DWORD processId)
      : windows_(windows), previous_(windows.CreatingProcess()) {
    windows_.SetCreatingProcess(processId);
  }
  ~CreatingProcessScope() { windows_.SetCreatingProcess(previous_); }
  CreatingProcessScope(const CreatingProcessScope&) = delete;
  CreatingProcessScope& operator=(const CreatingProcessScope&) = delete;

 private:
  SimWindowSystem& windows_;
  DWORD previous_;
};

}  // namespace kx::sim
