#include "platform/sim/sim_window_system.h"

#include <algorithm>
#include <cassert>

#include "platform/dialog.h"
#include "platform/messages.h"
#include "platform/sim/rect_math.h"
#include "platform/text_util.h"
#include "platform/window.h"

namespace kx::sim {

namespace {

bool IsTopmost(DWORD exStyle) {
  return (exStyle & WS_EX_TOPMOST) != 0;
}

}  // namespace

SimWindowSystem::SimWindowSystem(SimClock& clock) : clock_(clock) {}

SimWindowSystem::~SimWindowSystem() {
  // Windows still alive belong to objects that outlive the desktop's services only by mistake;
  // detach them so their destructors do not call back into a dead window system.
  std::lock_guard lock(mutex_);
  for (auto& [value, record] : windows_) {
    if (record.object != nullptr) WindowBinding::Detach(*record.object);
  }
}

const SimWindowSystem::WindowRecord* SimWindowSystem::RecordLocked(HWND window) const {
  auto it = windows_.find(HwndValue(window));
  return it == windows_.end() ? nullptr : &it->second;
}

SimWindowSystem::WindowRecord* SimWindowSystem::RecordLocked(HWND window) {
  auto it = windows_.find(HwndValue(window));
  return it == windows_.end() ? nullptr : &it->second;
}

void SimWindowSystem::PlaceInZOrderLocked(std::vector<HWND>& list, HWND window, HWND insertAfter,
                                          bool topmost) {
  list.erase(std::remove(list.begin(), list.end(), window), list.end());
  auto firstNonTopmost = std::find_if(list.begin(), list.end(), [&](HWND h) {
    const WindowRecord* r = RecordLocked(h);
    return r == nullptr || !IsTopmost(r->exStyle);
  });
  if (insertAfter != nullptr && insertAfter != HwndTop() && insertAfter != HwndTopmost() &&
      insertAfter != HwndNoTopmost()) {
    auto it = std::find(list.begin(), list.end(), insertAfter);
    if (it != list.end()) {
      list.insert(it + 1, window);
      return;
    }
  }
  // A top-most window goes to the very front; any other to the front of the non-top-most ones.
  list.insert(topmost ? list.begin() : firstNonTopmost, window);
}

void SimWindowSystem::RemoveFromZOrderLocked(HWND window) {
  WindowRecord* r = RecordLocked(window);
  if (r == nullptr) return;
  std::vector<HWND>* list = &topLevel_;
  if ((r->style & WS_CHILD) != 0) {
    WindowRecord* parent = RecordLocked(r->parent);
    if (parent == nullptr) return;
    list = &parent->children;
  }
  list->erase(std::remove(list->begin(), list->end(), window), list->end());
}

HWND SimWindowSystem::Create(Window& window, const WindowSpec& spec) {
  if (refuseCreate_ && refuseCreate_(spec)) return nullptr;
  HWND handle = nullptr;
  {
    std::lock_guard lock(mutex_);
    bool child = (spec.style & WS_CHILD) != 0;
    if (child && RecordLocked(spec.parent) == nullptr) return nullptr;
    handle = HwndFromValue(nextHandle_);
    nextHandle_ += 2;
    WindowRecord record;
    record.handle = handle;
    record.object = &window;
    record.className = spec.className.empty() ? u"KxWindow" : spec.className;
    record.title = spec.title;
    // The system clips every top-level window against its siblings.
    record.style = (spec.style & ~WS_VISIBLE) | (child ? 0 : WS_CLIPSIBLINGS);
    record.exStyle = spec.exStyle;
    record.rect = spec.rect;
    record.parent = spec.parent;
    record.id = spec.id;
    record.processId = creatingProcess_;
    windows_.emplace(HwndValue(handle), std::move(record));
    if (child) {
      PlaceInZOrderLocked(RecordLocked(spec.parent)->children, handle, HwndTop(), false);
    } else {
      PlaceInZOrderLocked(topLevel_, handle, HwndTop(), IsTopmost(spec.exStyle));
    }
  }
  WindowBinding::Attach(window, handle);
  if (Deliver(handle, WM_CREATE, 0, 0) == -1) {
    Destroy(handle);
    return nullptr;
  }
  if ((spec.style & WS_VISIBLE) != 0 && IsWindow(handle)) Show(handle, SW_SHOW);
  return IsWindow(handle) ? handle : nullptr;
}

void SimWindowSystem::SendDestroyTree(HWND window) {
  Deliver(window, WM_DESTROY, 0, 0);
  for (HWND child : Children(window)) {
    {
      std::lock_guard lock(mutex_);
      WindowRecord* r = RecordLocked(child);
      if (r == nullptr || r->destroying) continue;
      r->destroying = true;
    }
    SendDestroyTree(child);
  }
}

void SimWindowSystem::SendNcDestroyTree(HWND window) {
  for (HWND child : Children(window))
    SendNcDestroyTree(child);
  Window* object = nullptr;
  {
    std::lock_guard lock(mutex_);
    WindowRecord* r = RecordLocked(window);
    if (r == nullptr) return;
    object = r->object;
    RemoveFromZOrderLocked(window);
    for (auto it = timers_.begin(); it != timers_.end();) {
      it = it->first.first == HwndValue(window) ? timers_.erase(it) : std::next(it);
    }
    windows_.erase(HwndValue(window));
    if (focus_ == window) focus_ = nullptr;
  }
  // The object is detached before its last message, so a window that deletes itself on
  // WM_NCDESTROY does not come back here from its destructor.
  if (object != nullptr) {
    WindowBinding::Detach(*object);
    Window::NotifyWindowGone(object);
    if (observer_) observer_(Msg{window, WM_NCDESTROY, 0, 0});
    object->WindowProc(WM_NCDESTROY, 0, 0);
  }
  if (destroyHook_) destroyHook_(window);
}

bool SimWindowSystem::Destroy(HWND window) {
  {
    std::lock_guard lock(mutex_);
    WindowRecord* r = RecordLocked(window);
    if (r == nullptr || r->destroying) return false;
    r->destroying = true;
    r->visible = false;
  }
  if (GetCapture() == window) ReleaseCapture();
  // Like the system: the windows this one owns (top-level windows created with it as their
  // parent) are destroyed completely before it.
  std::vector<HWND> owned;
  {
    std::lock_guard lock(mutex_);
    for (HWND h : topLevel_) {
      const WindowRecord* r = RecordLocked(h);
      if (r != nullptr && r->parent == window && !r->destroying) owned.push_back(h);
    }
  }
  for (HWND h : owned)
    Destroy(h);
  SendDestroyTree(window);
  SendNcDestroyTree(window);
  return true;
}

bool SimWindowSystem::IsWindow(HWND window) const {
  std::lock_guard lock(mutex_);
  return RecordLocked(window) != nullptr;
}

Window* SimWindowSystem::FromHandle(HWND window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* r = RecordLocked(window);
  return r == nullptr ? nullptr : r->object;
}

HWND SimWindowSystem::Find(std::u16string_view cls, std::u16string_view title) const {
  std::lock_guard lock(mutex_);
  for (HWND h : topLevel_) {
    const WindowRecord* r = RecordLocked(h);
    if (r == nullptr || r->destroying) continue;
    if (!cls.empty() && !EqualsIgnoreCase(cls, r->className)) continue;
    if (EqualsIgnoreCase(title, r->title)) return h;
  }
  return nullptr;
}

HWND SimWindowSystem::FindChild(HWND parent, std::u16string_view title) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* p = RecordLocked(parent);
  if (p == nullptr) return nullptr;
  for (HWND h : p->children) {
    const WindowRecord* r = RecordLocked(h);
    if (r != nullptr && !r->destroying && EqualsIgnoreCase(title, r->title)) return h;
  }
  return nullptr;
}

bool SimWindowSystem::SetText(HWND window, std::u16string_view text) {
  if (!IsWindow(window)) return false;
  std::u16string terminated(text);
  // Like the system: the text goes through the window's own WM_SETTEXT handling.
  return Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(terminated.c_str())) != 0;
}

std::u16string SimWindowSystem::GetText(HWND window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* r = RecordLocked(window);
  return r == nullptr ? std::u16string() : r->title;
}

std::u16string SimWindowSystem::ClassNameOf(HWND window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* r = RecordLocked(window);
  return r == nullptr ? std::u16string() : r->className;
}

HWND SimWindowSystem::GetParent(HWND window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* r = RecordLocked(window);
  return r == nullptr ? nullptr : r->parent;
}

DWORD SimWindowSystem::GetStyle(HWND window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* r = RecordLocked(window);
  if (r == nullptr) return 0;
  return r->style | (r->visible ? WS_VISIBLE : 0);
}

DWORD SimWindowSystem::GetExStyle(HWND window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* r = RecordLocked(window);
  return r == nullptr ? 0 : r->exStyle;
}

bool SimWindowSystem::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  {
    std::lock_guard lock(mutex_);
    if (window == HwndBroadcast()) {
      for (HWND h : topLevel_)
        queue_.push_back(Msg{h, message, wParam, lParam});
      if (postObserver_) postObserver_(Msg{window, message, wParam, lParam}, topLevel_);
    } else {
      const WindowRecord* r = RecordLocked(window);
      if (r == nullptr || r->destroying) return false;
      queue_.push_back(Msg{window, message, wParam, lParam});
      if (postObserver_) postObserver_(Msg{window, message, wParam, lParam}, {window});
    }
  }
  posted_.notify_all();
  return true;
}

namespace {

// Whether the message this thread is handling was sent rather than taken from the queue; a
// message delivered inside the handler of another sets it for as long as it is handled.
thread_local bool t_handlingSent = false;

class HandlingSent {
 public:
  explicit HandlingSent(bool sent) : previous_(t_handlingSent) { t_handlingSent = sent; }
  ~HandlingSent() { t_handlingSent = previous_; }
  HandlingSent(const HandlingSent&) = delete;
  HandlingSent& operator=(const HandlingSent&) = delete;

 private:
  bool previous_;
};

}  // namespace

LRESULT SimWindowSystem::Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 bool sent) {
  Window* object = FromHandle(window);
  if (object == nullptr) return 0;
  if (observer_) observer_(Msg{window, message, wParam, lParam});
  const HandlingSent handling(sent);
  const LRESULT result = object->WindowProc(message, wParam, lParam);
  if (handledObserver_) handledObserver_(Msg{window, message, wParam, lParam});
  return result;
}

LRESULT SimWindowSystem::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window == HwndBroadcast()) {
    for (HWND h : TopLevelWindows())
      Deliver(h, message, wParam, lParam);
    return 0;
  }
  return Deliver(window, message, wParam, lParam);
}

bool SimWindowSystem::HandlingSentMessage() const {
  return t_handlingSent;
}

UINT SimWindowSystem::RegisterMessage(std::u16string_view name) {
  if (name.empty()) return 0;
  std::u16string key;
  for (char16_t c : name)
    key.push_back(SimpleUpper(c));
  std::lock_guard lock(mutex_);
  auto [it, inserted] = registered_.emplace(key, nextRegistered_);
  if (inserted) ++nextRegistered_;
  return it->second;
}

LRESULT SimWindowSystem::DefaultProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      // The dialog class turns a close into the Cancel command, as its default procedure does.
      if (ClassNameOf(window) == Dialog::kClassName) {
        Post(window, WM_COMMAND, IDCANCEL, 0);
      } else {
        Destroy(window);
      }
      return 0;
    case WM_PAINT: {
      RECT area;
      bool erase = false;
      TakeInvalidArea(window, &area, &erase);
      return 0;
    }
    case WM_NCCREATE:
      return 1;
    case WM_SETTEXT: {
      std::lock_guard lock(mutex_);
      WindowRecord* r = RecordLocked(window);
      if (r == nullptr) return 0;
      const char16_t* text = reinterpret_cast<const char16_t*>(lParam);
      r->title = text != nullptr ? std::u16string(text) : std::u16string();
      return 1;
    }
    default:
      return 0;
  }
}

bool SimWindowSystem::SetTimer(HWND window, UINT_PTR id, UINT ms) {
  std::lock_guard lock(mutex_);
  if (RecordLocked(window) == nullptr) return false;
  UINT period = std::max<UINT>(ms, 10);  // the system raises shorter periods to 10 ms
  timers_[{HwndValue(window), id}] = Timer{period, clock_.NowMs() + period};
  return true;
}

bool SimWindowSystem::KillTimer(HWND window, UINT_PTR id) {
  std::lock_guard lock(mutex_);
  return timers_.erase({HwndValue(window), id}) > 0;
}

bool SimWindowSystem::NextTimerDue(std::uint64_t* due) const {
  std::lock_guard lock(mutex_);
  bool any = false;
  for (const auto& [key, timer] : timers_) {
    if (!any || timer.due < *due) *due = timer.due;
    any = true;
  }
  return any;
}

bool SimWindowSystem::TakeReadyMessage(Msg& msg) {
  std::lock_guard lock(mutex_);
  // Posted messages first, in order; those for windows destroyed meanwhile are dropped.
  while (!queue_.empty()) {
    msg = queue_.front();
    queue_.pop_front();
    const WindowRecord* r = RecordLocked(msg.hwnd);
    if (r != nullptr && !r->destroying) return true;
  }
  // Then paint for a visible window with an invalid area.
  for (auto& [value, record] : windows_) {
    if (record.invalid && record.visible && !record.destroying) {
      msg = Msg{record.handle, WM_PAINT, 0, 0};
      return true;
    }
  }
  // Then the timer that fell due first; one WM_TIMER however many periods have passed.
  std::uint64_t now = clock_.NowMs();
  auto ready = timers_.end();
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->second.due <= now && (ready == timers_.end() || it->second.due < ready->second.due)) {
      ready = it;
    }
  }
  if (ready != timers_.end()) {
    Timer& t = ready->second;
    while (t.due <= now)
      t.due += t.period;
    msg = Msg{HwndFromValue(ready->first.first), WM_TIMER, ready->first.second, 0};
    return true;
  }
  return false;
}

void SimWindowSystem::WaitForPostUntil(std::uint64_t deadlineMs) {
  std::unique_lock lock(mutex_);
  if (!queue_.empty() || quit_) return;
  if (!clock_.RealTime()) {
    posted_.wait(lock, [&] { return !queue_.empty() || quit_; });
    return;
  }
  std::uint64_t now = clock_.NowMs();
  if (deadlineMs <= now) return;
  posted_.wait_for(lock, std::chrono::milliseconds(deadlineMs - now),
                   [&] { return !queue_.empty() || quit_; });
}

bool SimWindowSystem::NextMessage(Msg& msg) {
  for (;;) {
    if (TakeReadyMessage(msg)) return true;
    {
      std::lock_guard lock(mutex_);
      if (quit_) {
        msg = Msg{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode_), 0};
        return false;
      }
    }
    std::uint64_t due = 0;
    bool haveTimer = NextTimerDue(&due);
    if (!clock_.RealTime() && haveTimer) {
      clock_.AdvanceTo(due);  // idle in virtual time: jump to the next timer
      continue;
    }
    WaitForPostUntil(haveTimer ? due : UINT64_MAX);
  }
}

LRESULT SimWindowSystem::Dispatch(const Msg& msg) {
  return Deliver(msg.hwnd, msg.message, msg.wParam, msg.lParam, /*sent=*/false);
}

void SimWindowSystem::PostQuit(int exitCode) {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    exitCode_ = exitCode;
  }
  posted_.notify_all();
}

bool SimWindowSystem::PumpOne() {
  Msg msg;
  if (!TakeReadyMessage(msg)) return false;
  Window::TranslateAndDispatch(msg);
  return true;
}

std::size_t SimWindowSystem::RunUntilIdle() {
  std::size_t n = 0;
  while (PumpOne())
    ++n;
  return n;
}

void SimWindowSystem::RunFor(std::uint64_t ms) {
  const std::uint64_t end = clock_.NowMs() + ms;
  for (;;) {
    RunUntilIdle();
    std::uint64_t now = clock_.NowMs();
    if (now >= end) return;
    std::uint64_t due = 0;
    bool haveTimer = NextTimerDue(&due) && due <= end;
    std::uint64_t next = haveTimer ? std::max(due, now) : end;
    if (clock_.RealTime()) {
      WaitForPostUntil(next);
    } else {
      clock_.AdvanceTo(next);
    }
  }
}

bool SimWindowSystem::QuitPosted() const {
  std::lock_guard lock(mutex_);
  return quit_;
}

int SimWindowSystem::ExitCode() const {
  std::lock_guard lock(mutex_);
  return exitCode_;
}

std::size_t SimWindowSystem::QueuedCount() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

bool SimWindowSystem::SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy,
                                   UINT flags) {
  bool sized = false;
  bool show = false;
  bool hide = false;
  {
    std::lock_guard lock(mutex_);
    WindowRecord* r = RecordLocked(window);
    if (r == nullptr) return false;
    if ((flags & SWP_NOMOVE) == 0) {
      int w = r->rect.Width();
      int h = r->rect.Height();
      r->rect = RECT{x, y, x + w, y + h};
    }
    if ((flags & SWP_NOSIZE) == 0) {
      sized = r->rect.Width() != cx || r->rect.Height() != cy;
      r->rect.right = r->rect.left + std::max(cx, 0);
      r->rect.bottom = r->rect.top + std::max(cy, 0);
    }
    if ((flags & SWP_NOZORDER) == 0) {
      if (insertAfter == HwndTopmost()) r->exStyle |= WS_EX_TOPMOST;
      if (insertAfter == HwndNoTopmost()) r->exStyle &= ~WS_EX_TOPMOST;
      bool topmost = IsTopmost(r->exStyle);
      if ((r->style & WS_CHILD) != 0) {
        WindowRecord* parent = RecordLocked(r->parent);
        if (parent != nullptr) PlaceInZOrderLocked(parent->children, window, insertAfter, false);
      } else {
        PlaceInZOrderLocked(topLevel_, window, insertAfter, topmost);
      }
    }
    show = (flags & SWP_SHOWWINDOW) != 0;
    hide = (flags & SWP_HIDEWINDOW) != 0;
    if (sized && (flags & SWP_NOREDRAW) == 0) {
      r->invalid = true;
      r->erase = true;
      r->invalidRect = RECT{0, 0, r->rect.Width(), r->rect.Height()};
    }
  }
  if (sized) {
    RECT rc = GetClientRect(window);
    Deliver(window, WM_SIZE, 0,
            static_cast<LPARAM>((static_cast<std::uint32_t>(rc.Height()) << 16) |
                                (static_cast<std::uint32_t>(rc.Width()) & 0xFFFF)));
  }
  if (show) Show(window, SW_SHOWNA);
  if (hide) Show(window, SW_HIDE);
  return true;
}

bool SimWindowSystem::Show(HWND window, int command) {
  bool wasVisible = false;
  bool visible = command != SW_HIDE;
  {
    std::lock_guard lock(mutex_);
    WindowRecord* r = RecordLocked(window);
    if (r == nullptr) return false;
    wasVisible = r->visible;
    if (wasVisible == visible) return wasVisible;
    r->visible = visible;
    if (visible) {
      r->invalid = true;
      r->erase = true;
      r->invalidRect = RECT{0, 0, r->rect.Width(), r->rect.Height()};
      // Showing a window shows its visible children with it: they need painting too.
      for (HWND child : r->children) {
        WindowRecord* c = RecordLocked(child);
        if (c != nullptr && c->visible) {
          c->invalid = true;
          c->erase = true;
          c->invalidRect = RECT{0, 0, c->rect.Width(), c->rect.Height()};
        }
      }
    }
  }
  Deliver(window, WM_SHOWWINDOW, visible ? 1 : 0, 0);
  return wasVisible;
}

bool SimWindowSystem::IsVisible(HWND window) const {
  std::lock_guard lock(mutex_);
  // Like IsWindowVisible: the window and every parent up the chain must be visible.
  for (const WindowRecord* r = RecordLocked(window); r != nullptr;) {
    if (!r->visible) return false;
    if ((r->style & WS_CHILD) == 0) return true;
    r = RecordLocked(r->parent);
  }
  return false;
}

POINT SimWindowSystem::ScreenOriginLocked(HWND window) const {
  POINT origin;
  for (const WindowRecord* r = RecordLocked(window); r != nullptr;) {
    origin.x += r->rect.left;
    origin.y += r->rect.top;
    if ((r->style & WS_CHILD) == 0) break;
    r = RecordLocked(r->parent);
  }
  return origin;
}

RECT SimWindowSystem::GetWindowRect(HWND window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* r = RecordLocked(window);
  if (r == nullptr) return RECT{};
  POINT o = ScreenOriginLocked(window);
  return RECT{o.x, o.y, o.x + r->rect.Width(), o.y + r->rect.Height()};
}

RECT SimWindowSystem::GetClientRect(HWND window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* r = RecordLocked(window);
  return r == nullptr ? RECT{} : RECT{0, 0, r->rect.Width(), r->rect.Height()};
}

POINT SimWindowSystem::ClientToScreen(HWND window, POINT point) const {
  std::lock_guard lock(mutex_);
  POINT o = ScreenOriginLocked(window);
  return POINT{point.x + o.x, point.y + o.y};
}

POINT SimWindowSystem::ScreenToClient(HWND window, POINT point) const {
  std::lock_guard lock(mutex_);
  POINT o = ScreenOriginLocked(window);
  return POINT{point.x - o.x, point.y - o.y};
}

bool SimWindowSystem::Invalidate(HWND window, const RECT* rect, bool erase) {
  std::lock_guard lock(mutex_);
  WindowRecord* r = RecordLocked(window);
  if (r == nullptr) return false;
  RECT client{0, 0, r->rect.Width(), r->rect.Height()};
  RECT area = rect == nullptr ? client : IntersectRect(*rect, client);
  r->invalidRect = r->invalid ? UnionRect(r->invalidRect, area) : area;
  r->invalid = true;
  r->erase = r->erase || erase;
  return true;
}

bool SimWindowSystem::Update(HWND window) {
  {
    std::lock_guard lock(mutex_);
    const WindowRecord* r = RecordLocked(window);
    if (r == nullptr) return false;
    if (!r->invalid || !r->visible) return true;
  }
  Deliver(window, WM_PAINT, 0, 0);
  return true;
}

bool SimWindowSystem::TakeInvalidArea(HWND window, RECT* area, bool* erase) {
  std::lock_guard lock(mutex_);
  WindowRecord* r = RecordLocked(window);
  if (r == nullptr || !r->invalid) {
    if (area != nullptr) *area = RECT{};
    if (erase != nullptr) *erase = false;
    return false;
  }
  if (area != nullptr) *area = r->invalidRect;
  if (erase != nullptr) *erase = r->erase;
  r->invalid = false;
  r->erase = false;
  r->invalidRect = RECT{};
  return true;
}

HWND SimWindowSystem::SetCapture(HWND window) {
  HWND old = nullptr;
  {
    std::lock_guard lock(mutex_);
    if (RecordLocked(window) == nullptr) return nullptr;
    old = capture_;
    capture_ = window;
  }
  if (old != nullptr && old != window) {
    Deliver(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
  }
  return old;
}

bool SimWindowSystem::ReleaseCapture() {
  HWND old = nullptr;
  {
    std::lock_guard lock(mutex_);
    old = capture_;
    capture_ = nullptr;
  }
  if (old != nullptr) Deliver(old, WM_CAPTURECHANGED, 0, 0);
  return true;
}

HWND SimWindowSystem::GetCapture() const {
  std::lock_guard lock(mutex_);
  return capture_;
}

HWND SimWindowSystem::SetFocus(HWND window) {
  HWND old = nullptr;
  {
    std::lock_guard lock(mutex_);
    if (window != nullptr && RecordLocked(window) == nullptr) return nullptr;
    old = focus_;
    if (old == window) return old;
    focus_ = window;
  }
  if (old != nullptr) Deliver(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
  if (window != nullptr) Deliver(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND SimWindowSystem::GetFocus() const {
  std::lock_guard lock(mutex_);
  return focus_;
}

void SimWindowSystem::SetWindowProcess(HWND window, DWORD processId) {
  std::lock_guard lock(mutex_);
  WindowRecord* r = RecordLocked(window);
  if (r != nullptr) r->processId = processId;
}

DWORD SimWindowSystem::WindowProcess(HWND window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* r = RecordLocked(window);
  return r == nullptr ? 0 : r->processId;
}

std::vector<HWND> SimWindowSystem::TopLevelWindows() const {
  std::lock_guard lock(mutex_);
  return topLevel_;
}

std::vector<HWND> SimWindowSystem::Children(HWND window) const {
  std::lock_guard lock(mutex_);
  const WindowRecord* r = RecordLocked(window);
  return r == nullptr ? std::vector<HWND>{} : r->children;
}

HWND SimWindowSystem::WindowAt(POINT screen) const {
  std::lock_guard lock(mutex_);
  auto contains = [&](HWND h) {
    const WindowRecord* r = RecordLocked(h);
    if (r == nullptr || !r->visible) return false;
    POINT o = ScreenOriginLocked(h);
    return screen.x >= o.x && screen.y >= o.y && screen.x < o.x + r->rect.Width() &&
           screen.y < o.y + r->rect.Height();
  };
  HWND found = nullptr;
  for (HWND h : topLevel_) {
    if (contains(h)) {
      found = h;
      break;
    }
  }
  // Descend into the front-most child under the point, as long as there is one.
  for (bool deeper = found != nullptr; deeper;) {
    deeper = false;
    for (HWND child : RecordLocked(found)->children) {
      if (contains(child)) {
        found = child;
        deeper = true;
        break;
      }
    }
  }
  return found;
}

bool SimWindowSystem::PostMouse(UINT message, POINT screen, WPARAM keys) {
  HWND target = GetCapture();
  if (target == nullptr) target = WindowAt(screen);
  if (target == nullptr) return false;
  POINT client = ScreenToClient(target, screen);
  LPARAM lParam = static_cast<LPARAM>((static_cast<std::uint32_t>(client.y & 0xFFFF) << 16) |
                                      static_cast<std::uint32_t>(client.x & 0xFFFF));
  return Post(target, message, keys, lParam);
}

std::map<UINT_PTR, UINT> SimWindowSystem::Timers(HWND window) const {
  std::lock_guard lock(mutex_);
  std::map<UINT_PTR, UINT> result;
  for (const auto& [key, timer] : timers_) {
    if (key.first == HwndValue(window)) result[key.second] = timer.period;
  }
  return result;
}

void SimWindowSystem::SetDeliveryObserver(std::function<void(const Msg&)> observer) {
  std::lock_guard lock(mutex_);
  observer_ = std::move(observer);
}

void SimWindowSystem::SetHandledObserver(std::function<void(const Msg&)> observer) {
  std::lock_guard lock(mutex_);
  handledObserver_ = std::move(observer);
}

void SimWindowSystem::SetPostObserver(PostObserver observer) {
  std::lock_guard lock(mutex_);
  postObserver_ = std::move(observer);
}

void SimWindowSystem::SetDestroyHook(std::function<void(HWND)> hook) {
  std::lock_guard lock(mutex_);
  destroyHook_ = std::move(hook);
}

void SimWindowSystem::SetCreateRefusal(std::function<bool(const WindowSpec&)> refuse) {
  refuseCreate_ = std::move(refuse);  // creation happens on the user-interface thread only
}

}  // namespace kx::sim
