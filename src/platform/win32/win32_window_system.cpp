#include "platform/win32/win32_window_system.h"

#include <vector>

#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/win32/wide.h"
#include "platform/window.h"

#include <windows.h>

namespace kx::win32 {

namespace {

static_assert(sizeof(kx::COPYDATASTRUCT) == sizeof(::COPYDATASTRUCT));
static_assert(offsetof(kx::COPYDATASTRUCT, cbData) == offsetof(::COPYDATASTRUCT, cbData));
static_assert(offsetof(kx::COPYDATASTRUCT, lpData) == offsetof(::COPYDATASTRUCT, lpData));

::HWND ToSystem(HWND window) {
  return reinterpret_cast<::HWND>(window);
}
HWND FromSystem(::HWND window) {
  return reinterpret_cast<HWND>(window);
}
RECT FromSystem(const ::RECT& r) {
  return RECT{r.left, r.top, r.right, r.bottom};
}
::RECT ToSystem(const RECT& r) {
  return ::RECT{r.left, r.top, r.right, r.bottom};
}

::HINSTANCE ThisModule() {
  return ::GetModuleHandleW(nullptr);
}

Win32WindowSystem* g_windowSystem = nullptr;

// The window object whose window is being created on this thread; the CBT hook binds the first
// window whose creation parameter names it.
thread_local Window* t_creating = nullptr;

LRESULT CALLBACK Trampoline(::HWND hwnd, ::UINT message, ::WPARAM wParam, ::LPARAM lParam);

LRESULT CALLBACK CreationHook(int code, ::WPARAM wParam, ::LPARAM lParam) {
  if (code == HCBT_CREATEWND && t_creating != nullptr && g_windowSystem != nullptr) {
    const auto* create = reinterpret_cast<const ::CBT_CREATEWNDW*>(lParam);
    if (create->lpcs->lpCreateParams == t_creating) {
      ::HWND hwnd = reinterpret_cast<::HWND>(wParam);
      Window* object = t_creating;
      t_creating = nullptr;
      const ::LONG_PTR original =
          ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<::LONG_PTR>(&Trampoline));
      g_windowSystem->Bind(FromSystem(hwnd), {object, static_cast<std::uintptr_t>(original)});
      WindowBinding::Attach(*object, FromSystem(hwnd));
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CallOriginal(std::uintptr_t original, ::HWND hwnd, ::UINT message, ::WPARAM wParam,
                     ::LPARAM lParam) {
  if (original == 0) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return ::CallWindowProcW(reinterpret_cast<::WNDPROC>(original), hwnd, message, wParam, lParam);
}

// The queued message Dispatch is handing to DispatchMessageW on this thread, until the
// trampoline meets it: every other call of the trampoline is a sent message (from this thread,
// another thread or the system), whose pointers are the sender's to vouch for.
struct QueuedDispatch {
  ::MSG msg{};
  bool met = false;
};
thread_local QueuedDispatch* t_queued = nullptr;
thread_local bool t_handlingSent = false;

bool IsTheQueuedMessage(::HWND hwnd, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
  QueuedDispatch* queued = t_queued;
  if (queued == nullptr || queued->met || ::InSendMessage()) return false;
  const ::MSG& m = queued->msg;
  if (m.hwnd != hwnd || m.message != message || m.wParam != wParam || m.lParam != lParam) {
    return false;
  }
  queued->met = true;
  return true;
}

LRESULT CALLBACK Trampoline(::HWND hwnd, ::UINT message, ::WPARAM wParam, ::LPARAM lParam) {
  Win32WindowSystem::Binding binding;
  if (g_windowSystem == nullptr || !g_windowSystem->Lookup(FromSystem(hwnd), &binding)) {
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
  const bool previousSent = t_handlingSent;
  t_handlingSent = !IsTheQueuedMessage(hwnd, message, wParam, lParam);
  struct Restore {
    bool previous;
    ~Restore() { t_handlingSent = previous; }
  } restore{previousSent};
  switch (message) {
    case WM_NCCREATE:
      // Our window objects start with WM_CREATE; the class sets the window up here.
      return CallOriginal(binding.originalProc, hwnd, message, wParam, lParam);
    case WM_CREATE:
      // The objects see lParam 0 on WM_CREATE on every platform; the classes' default
      // handling of it does not look at the creation record.
      return binding.object->WindowProc(message, wParam, 0);
    case WM_DESTROY:
      g_windowSystem->MarkDestroyed(FromSystem(hwnd));
      return binding.object->WindowProc(message, wParam, lParam);
    case WM_NCDESTROY: {
      // A window whose WM_CREATE answered -1 goes without WM_DESTROY on some systems; the
      // object always gets it, as everywhere else.
      if (!binding.destroyed) {
        g_windowSystem->MarkDestroyed(FromSystem(hwnd));
        binding.object->WindowProc(WM_DESTROY, 0, 0);
      }
      // The object lets go of the window before its last message, so an object that deletes
      // itself here does not come back through its destructor.
      g_windowSystem->Unbind(FromSystem(hwnd), &binding);
      ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, static_cast<::LONG_PTR>(binding.originalProc));
      WindowBinding::Detach(*binding.object);
      Window::NotifyWindowGone(binding.object);
      binding.object->WindowProc(message, wParam, lParam);
      return CallOriginal(binding.originalProc, hwnd, message, wParam, lParam);
    }
    default:
      return binding.object->WindowProc(message, wParam, lParam);
  }
}

}  // namespace

Win32WindowSystem::Win32WindowSystem() {
  g_windowSystem = this;
}

Win32WindowSystem::~Win32WindowSystem() {
  // Windows still alive belong to objects that outlive the services only by mistake; detach
  // them so their destructors do not call back into a dead window system.
  std::lock_guard lock(mutex_);
  for (auto& [value, binding] : bindings_)
    WindowBinding::Detach(*binding.object);
  if (g_windowSystem == this) g_windowSystem = nullptr;
}

void Win32WindowSystem::Bind(HWND window, const Binding& binding) {
  std::lock_guard lock(mutex_);
  bindings_[HwndValue(window)] = binding;
}

bool Win32WindowSystem::Lookup(HWND window, Binding* binding) const {
  std::lock_guard lock(mutex_);
  auto it = bindings_.find(HwndValue(window));
  if (it == bindings_.end()) return false;
  *binding = it->second;
  return true;
}

void Win32WindowSystem::MarkDestroyed(HWND window) {
  std::lock_guard lock(mutex_);
  auto it = bindings_.find(HwndValue(window));
  if (it != bindings_.end()) it->second.destroyed = true;
}

bool Win32WindowSystem::Unbind(HWND window, Binding* binding) {
  std::lock_guard lock(mutex_);
  auto it = bindings_.find(HwndValue(window));
  if (it == bindings_.end()) return false;
  *binding = it->second;
  bindings_.erase(it);
  return true;
}

bool Win32WindowSystem::EnsureClass(const std::u16string& name) {
  {
    std::lock_guard lock(mutex_);
    if (registeredClasses_.count(name) != 0) return true;
  }
  ::WNDCLASSEXW info{};
  info.cbSize = sizeof(info);
  // A class the system or another module of this process already knows (the dialog class
  // "#32770", the controls) is used as it is.
  if (::GetClassInfoExW(ThisModule(), AsWide(name.c_str()), &info) ||
      ::GetClassInfoExW(nullptr, AsWide(name.c_str()), &info)) {
    return true;
  }
  info = ::WNDCLASSEXW{};
  info.cbSize = sizeof(info);
  info.lpfnWndProc = ::DefWindowProcW;  // every window of ours is subclassed at creation
  info.hInstance = ThisModule();
  info.lpszClassName = AsWide(name.c_str());
  if (::RegisterClassExW(&info) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  std::lock_guard lock(mutex_);
  registeredClasses_.insert(name);
  return true;
}

HWND Win32WindowSystem::Create(Window& window, const WindowSpec& spec) {
  const std::u16string className = spec.className.empty() ? kDefaultClassName : spec.className;
  if (!EnsureClass(className)) return nullptr;
  const std::u16string title = spec.title;

  ::HHOOK hook = ::SetWindowsHookExW(WH_CBT, &CreationHook, nullptr, ::GetCurrentThreadId());
  if (hook == nullptr) return nullptr;
  Window* outer = t_creating;  // a window created from inside another's creation
  t_creating = &window;
  ::HWND hwnd = ::CreateWindowExW(
      spec.exStyle, AsWide(className.c_str()), AsWide(title.c_str()), spec.style, spec.rect.left,
      spec.rect.top, spec.rect.Width(), spec.rect.Height(), ToSystem(spec.parent),
      (spec.style & WS_CHILD) != 0 ? reinterpret_cast<::HMENU>(spec.id) : nullptr, ThisModule(),
      &window);
  t_creating = outer;
  ::UnhookWindowsHookEx(hook);
  if (hwnd == nullptr) return nullptr;
  return ::IsWindow(hwnd) ? FromSystem(hwnd) : nullptr;
}

bool Win32WindowSystem::Destroy(HWND window) {
  return ::DestroyWindow(ToSystem(window)) != FALSE;
}

bool Win32WindowSystem::IsWindow(HWND window) const {
  return window != nullptr && ::IsWindow(ToSystem(window)) != FALSE;
}

Window* Win32WindowSystem::FromHandle(HWND window) const {
  Binding binding;
  return Lookup(window, &binding) ? binding.object : nullptr;
}

HWND Win32WindowSystem::Find(std::u16string_view cls, std::u16string_view title) const {
  return FromSystem(::FindWindowW(WideZ(cls).OrNull(), WideZ(title).Get()));
}

HWND Win32WindowSystem::FindChild(HWND parent, std::u16string_view title) const {
  if (parent == nullptr) return nullptr;  // a null parent would search the desktop
  return FromSystem(::FindWindowExW(ToSystem(parent), nullptr, nullptr, WideZ(title).Get()));
}

bool Win32WindowSystem::SetText(HWND window, std::u16string_view text) {
  return ::SetWindowTextW(ToSystem(window), WideZ(text).Get()) != FALSE;
}

std::u16string Win32WindowSystem::GetText(HWND window) const {
  const int length = ::GetWindowTextLengthW(ToSystem(window));
  if (length <= 0) return {};
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
  const int got = ::GetWindowTextW(ToSystem(window), buffer.data(), length + 1);
  return FromWide(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

std::u16string Win32WindowSystem::ClassNameOf(HWND window) const {
  wchar_t buffer[257];
  const int length = ::GetClassNameW(ToSystem(window), buffer, 257);
  return FromWide(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
}

HWND Win32WindowSystem::GetParent(HWND window) const {
  // The parent of a child window, the owner of a top-level one.
  ::HWND hwnd = ToSystem(window);
  if ((::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) != 0) {
    return FromSystem(::GetAncestor(hwnd, GA_PARENT));
  }
  return FromSystem(::GetWindow(hwnd, GW_OWNER));
}

DWORD Win32WindowSystem::GetStyle(HWND window) const {
  return static_cast<DWORD>(::GetWindowLongW(ToSystem(window), GWL_STYLE));
}

DWORD Win32WindowSystem::GetExStyle(HWND window) const {
  return static_cast<DWORD>(::GetWindowLongW(ToSystem(window), GWL_EXSTYLE));
}

bool Win32WindowSystem::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageW(ToSystem(window), message, wParam, lParam) != FALSE;
}

LRESULT Win32WindowSystem::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != HwndBroadcast() && !IsWindow(window)) return 0;
  return ::SendMessageW(ToSystem(window), message, wParam, lParam);
}

bool Win32WindowSystem::HandlingSentMessage() const {
  return t_handlingSent;
}

UINT Win32WindowSystem::RegisterMessage(std::u16string_view name) {
  if (name.empty()) return 0;
  return ::RegisterWindowMessageW(WideZ(name).Get());
}

LRESULT Win32WindowSystem::DefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Binding binding;
  const std::uintptr_t original = Lookup(window, &binding) ? binding.originalProc : 0;
  return CallOriginal(original, ToSystem(window), message, wParam, lParam);
}

bool Win32WindowSystem::SetTimer(HWND window, UINT_PTR id, UINT ms) {
  return ::SetTimer(ToSystem(window), id, ms, nullptr) != 0;
}

bool Win32WindowSystem::KillTimer(HWND window, UINT_PTR id) {
  return ::KillTimer(ToSystem(window), id) != FALSE;
}

bool Win32WindowSystem::NextMessage(Msg& msg) {
  ::MSG m{};
  const ::BOOL got = ::GetMessageW(&m, nullptr, 0, 0);
  if (got == -1) {
    // Only an invalid argument makes GetMessage fail; end the loop rather than spin.
    msg = Msg{nullptr, WM_QUIT, 0, 0};
    return false;
  }
  msg = Msg{FromSystem(m.hwnd), m.message, m.wParam, m.lParam};
  return got != FALSE;
}

LRESULT Win32WindowSystem::Dispatch(const Msg& msg) {
  ::MSG m{};
  m.hwnd = ToSystem(msg.hwnd);
  m.message = msg.message;
  m.wParam = msg.wParam;
  m.lParam = msg.lParam;
  m.time = static_cast<::DWORD>(::GetMessageTime());
  const ::DWORD pos = ::GetMessagePos();
  m.pt = ::POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  ::TranslateMessage(&m);
  QueuedDispatch queued{m, false};
  QueuedDispatch* const outer = t_queued;
  t_queued = &queued;
  const LRESULT result = ::DispatchMessageW(&m);
  t_queued = outer;
  return result;
}

void Win32WindowSystem::PostQuit(int exitCode) {
  ::PostQuitMessage(exitCode);
}

bool Win32WindowSystem::SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy,
                                     UINT flags) {
  return ::SetWindowPos(ToSystem(window), ToSystem(insertAfter), x, y, cx, cy, flags) != FALSE;
}

bool Win32WindowSystem::Show(HWND window, int command) {
  return ::ShowWindow(ToSystem(window), command) != FALSE;
}

bool Win32WindowSystem::IsVisible(HWND window) const {
  return ::IsWindowVisible(ToSystem(window)) != FALSE;
}

RECT Win32WindowSystem::GetWindowRect(HWND window) const {
  ::RECT r{};
  if (!::GetWindowRect(ToSystem(window), &r)) return RECT{};
  return FromSystem(r);
}

RECT Win32WindowSystem::GetClientRect(HWND window) const {
  ::RECT r{};
  if (!::GetClientRect(ToSystem(window), &r)) return RECT{};
  return FromSystem(r);
}

POINT Win32WindowSystem::ClientToScreen(HWND window, POINT point) const {
  ::POINT p{point.x, point.y};
  ::ClientToScreen(ToSystem(window), &p);
  return POINT{p.x, p.y};
}

POINT Win32WindowSystem::ScreenToClient(HWND window, POINT point) const {
  ::POINT p{point.x, point.y};
  ::ScreenToClient(ToSystem(window), &p);
  return POINT{p.x, p.y};
}

bool Win32WindowSystem::Invalidate(HWND window, const RECT* rect, bool erase) {
  if (rect == nullptr) return ::InvalidateRect(ToSystem(window), nullptr, erase) != FALSE;
  const ::RECT r = ToSystem(*rect);
  return ::InvalidateRect(ToSystem(window), &r, erase) != FALSE;
}

bool Win32WindowSystem::Update(HWND window) {
  return ::UpdateWindow(ToSystem(window)) != FALSE;
}

bool Win32WindowSystem::TakeInvalidArea(HWND window, RECT* area, bool* erase) {
  // The system's BeginPaint does the erasing itself and keeps no flag we can read, so erase
  // is never asked for here.
  ::RECT r{};
  const bool invalid = ::GetUpdateRect(ToSystem(window), &r, FALSE) != FALSE;
  if (invalid) ::ValidateRect(ToSystem(window), nullptr);
  if (area != nullptr) *area = invalid ? FromSystem(r) : RECT{};
  if (erase != nullptr) *erase = false;
  return invalid;
}

HWND Win32WindowSystem::SetCapture(HWND window) {
  return FromSystem(::SetCapture(ToSystem(window)));
}

bool Win32WindowSystem::ReleaseCapture() {
  return ::ReleaseCapture() != FALSE;
}

HWND Win32WindowSystem::GetCapture() const {
  return FromSystem(::GetCapture());
}

HWND Win32WindowSystem::SetFocus(HWND window) {
  return FromSystem(::SetFocus(ToSystem(window)));
}

HWND Win32WindowSystem::GetFocus() const {
  return FromSystem(::GetFocus());
}

}  // namespace kx::win32
