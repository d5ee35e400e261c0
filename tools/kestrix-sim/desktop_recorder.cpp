#include "desktop_recorder.h"

#include <span>
#include <string>

#include "platform/registry.h"
#include "platform/text_util.h"
#include "protocol/osd_record.h"

namespace kx::simtool {

namespace {

std::string RegistryData(const sim::RegistryValue& value) {
  if (value.type == REG_SZ) return "\"" + ToUtf8(value.Text()) + "\"";
  if (value.type == REG_DWORD) return std::to_string(value.Number());
  return HexBytes(value.data);
}

}  // namespace

DesktopRecorder::DesktopRecorder(sim::Desktop& desktop, EventLog& log)
    : desktop_(desktop), log_(log) {}

DesktopRecorder::~DesktopRecorder() {
  desktop_.Windows().SetPostObserver(nullptr);
  desktop_.Windows().SetDeliveryObserver(nullptr);
  desktop_.Windows().SetHandledObserver(nullptr);
  desktop_.Keyboard().SetTransferObserver(nullptr);
  desktop_.Shell().SetLaunchObserver(nullptr);
  desktop_.Registry().SetValueObserver(nullptr);
}

void DesktopRecorder::Start() {
  startMs_ = desktop_.Clock().NowMs();
  sim::SimWindowSystem& windows = desktop_.Windows();
  windows.SetPostObserver([this](const Msg& posted, const std::vector<HWND>& queuedFor) {
    OnPosted(posted, queuedFor);
  });
  windows.SetDeliveryObserver([this](const Msg& msg) { OnDelivered(msg); });
  windows.SetHandledObserver([this](const Msg& msg) {
    if (handledHook_) handledHook_(msg);
  });
  desktop_.Keyboard().SetTransferObserver([this](const sim::HidTransfer& transfer) {
    // Every write the agent made is shown, refused ones too (a write to an id that names no
    // collection shows u0); a read only when the keyboard answered.
    const bool write = transfer.kind == sim::HidTransfer::Kind::kWrite;
    if (!write && !transfer.ok) return;
    Event e;
    e.kind = write ? Event::Kind::kWrite : Event::Kind::kRead;
    e.timeMs = transfer.timeMs >= startMs_ ? transfer.timeMs - startMs_ : 0;
    e.usage = transfer.usage;
    e.bytes = transfer.bytes;
    log_.Add(std::move(e));
  });
  desktop_.Shell().SetLaunchObserver([this](const sim::Launch& launch) {
    Event e;
    e.kind = Event::Kind::kLaunch;
    e.timeMs = Elapsed();
    e.text = ToUtf8(launch.file);
    log_.Add(std::move(e));
  });
  desktop_.Registry().SetValueObserver(
      [this](const std::u16string&, const std::u16string& name, const sim::RegistryValue& value) {
        Event e;
        e.kind = Event::Kind::kRegistry;
        e.timeMs = Elapsed();
        e.text = ToUtf8(name);
        e.data = RegistryData(value);
        log_.Add(std::move(e));
      });
}

std::uint64_t DesktopRecorder::Elapsed() const {
  const std::uint64_t now = desktop_.Clock().NowMs();
  return now >= startMs_ ? now - startMs_ : 0;
}

void DesktopRecorder::OnPosted(const Msg& posted, const std::vector<HWND>& queuedFor) {
  std::lock_guard lock(mutex_);
  const std::uint64_t broadcast = posted.hwnd == HwndBroadcast() ? nextBroadcast_++ : 0;
  if (broadcast != 0) unloggedBroadcasts_.insert(broadcast);
  for (HWND window : queuedFor)
    pending_[window].push_back(Pending{posted.message, posted.wParam, posted.lParam, broadcast});
}

bool DesktopRecorder::TakePending(const Msg& msg, Pending* taken) {
  std::lock_guard lock(mutex_);
  auto it = pending_.find(msg.hwnd);
  if (it == pending_.end() || it->second.empty()) return false;
  // A window gets its posted messages in the order they were posted, so a delivery that is a
  // posted one is the oldest still waiting for that window.
  const Pending& front = it->second.front();
  if (front.message != msg.message || front.wParam != msg.wParam || front.lParam != msg.lParam) {
    return false;
  }
  *taken = front;
  it->second.pop_front();
  if (it->second.empty()) pending_.erase(it);
  return true;
}

void DesktopRecorder::OnDelivered(const Msg& msg) {
  sim::SimWindowSystem& windows = desktop_.Windows();
  if (msg.message == WM_NCDESTROY) {
    // Whatever was still queued for a window that is gone is never delivered.
    std::lock_guard lock(mutex_);
    pending_.erase(msg.hwnd);
    return;
  }
  const bool otherProgram = windows.WindowProcess(msg.hwnd) != sim::Desktop::kAgentProcessId;
  Pending posted;
  if (TakePending(msg, &posted)) {
    if (posted.broadcast != 0) {
      {
        std::lock_guard lock(mutex_);
        if (unloggedBroadcasts_.erase(posted.broadcast) == 0) return;
      }
      AddMessage("*", msg);
    } else if (otherProgram) {
      AddMessage(ToUtf8(windows.GetText(msg.hwnd)), msg);
    }
    return;
  }
  // Sent, not posted: the only message the agent sends another program is the OSD's text.
  if (otherProgram && msg.message == WM_COPYDATA) AddOsdText(msg);
}

void DesktopRecorder::AddMessage(std::string title, const Msg& msg) {
  Event e;
  e.kind = Event::Kind::kMessage;
  e.timeMs = Elapsed();
  e.title = std::move(title);
  e.message = msg.message;
  e.wParam = msg.wParam;
  e.lParam = msg.lParam;
  log_.Add(std::move(e));
}

void DesktopRecorder::AddOsdText(const Msg& msg) {
  const auto* copyData = reinterpret_cast<const COPYDATASTRUCT*>(msg.lParam);
  std::optional<protocol::OsdRecord> record;
  if (copyData != nullptr && copyData->lpData != nullptr && copyData->dwData == 0) {
    const auto* bytes = static_cast<const std::uint8_t*>(copyData->lpData);
    record = protocol::ReadOsdRecord(std::span(bytes, copyData->cbData));
  }
  if (!record) {
    // Not a record the OSD program takes: shown as the message, without its pointer.
    Msg shown = msg;
    shown.lParam = 0;
    AddMessage(ToUtf8(desktop_.Windows().GetText(msg.hwnd)), shown);
    return;
  }
  Event e;
  e.kind = Event::Kind::kOsd;
  e.timeMs = Elapsed();
  e.text = ToUtf8(record->text);
  e.colour = record->colour;
  log_.Add(std::move(e));
}

}  // namespace kx::simtool
