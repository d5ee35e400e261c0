#include "platform/sim/virtual_keyboard.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <utility>

namespace kx::sim {

namespace {

constexpr std::size_t KindIndex(HidTransfer::Kind kind) {
  return static_cast<std::size_t>(kind);
}

}  // namespace

VirtualKeyboard::VirtualKeyboard(Clock& clock, WindowSystem& windows)
    : clock_(clock), windows_(windows) {
  for (WORD usage = kFirstUsage; usage <= kLastUsage; ++usage) {
    CollectionOf(usage).deviceId = static_cast<WORD>(0x4B10 + usage);
  }
}

VirtualKeyboard::~VirtualKeyboard() {
  Shutdown();
}

// --- The library ---

void VirtualKeyboard::SetDeviceFilter(const DEVICE_FILTER* filter) {
  std::lock_guard lock(mutex_);
  filter_ = filter != nullptr ? *filter : DEVICE_FILTER{};
}

void VirtualKeyboard::SetReportCallback(ReportCallback callback) {
  std::lock_guard lock(callbackMutex_);
  callback_ = callback;
}

BOOL VirtualKeyboard::StartMonitor(HWND window, UINT message) {
  Notification arrivals;
  {
    std::lock_guard lock(mutex_);
    if (failStartMonitor_ || !windows_.IsWindow(window)) {
      monitoring_ = false;
      return 0;
    }
    monitoring_ = true;
    monitorWindow_ = window;
    monitorMessage_ = message;
    monitorFilter_ = filter_;
    arrivals.window = window;
    arrivals.message = message;
    for (WORD usage = kFirstUsage; usage <= kLastUsage; ++usage) {
      if (CollectionOf(usage).present && WatchedLocked(usage)) {
        arrivals.states.push_back(StateLocked(usage, MONITOROPEN));
      }
    }
  }
  Deliver(arrivals);
  return 1;
}

void VirtualKeyboard::StopMonitor() {
  std::lock_guard callbackLock(callbackMutex_);
  std::lock_guard lock(mutex_);
  monitoring_ = false;
  monitorWindow_ = nullptr;
  monitorMessage_ = 0;
}

bool VirtualKeyboard::WatchedLocked(WORD usage) const {
  return monitoring_ && FilterSelects(monitorFilter_, kVendorId, kProductId, usage, kUsagePage);
}

WORD VirtualKeyboard::UsageOfIdLocked(DWORD deviceId) const {
  for (WORD usage = kFirstUsage; usage <= kLastUsage; ++usage) {
    if (CollectionOf(usage).deviceId == deviceId) return usage;
  }
  return 0;
}

_DEVICE_STATE VirtualKeyboard::StateLocked(WORD usage, DWORD event) const {
  _DEVICE_STATE state{};
  state.event = event;
  state.dwDeviceID = CollectionOf(usage).deviceId;
  state.usage = usage;
  state.usagePage = kUsagePage;
  return state;
}

bool VirtualKeyboard::ShouldFailLocked(const HidTransfer& transfer) {
  bool fail = false;
  std::size_t& countdown = failCountdown_[KindIndex(transfer.kind)];
  if (countdown > 0 && --countdown == 0) fail = true;
  if (failWhen_ && failWhen_(transfer)) fail = true;
  return fail;
}

void VirtualKeyboard::RecordLocked(HidTransfer transfer) {
  if (transferObserver_) transferObserver_(transfer);
  transfers_.push_back(std::move(transfer));
}

void VirtualKeyboard::SetTransferObserver(std::function<void(const HidTransfer&)> observer) {
  std::lock_guard lock(mutex_);
  transferObserver_ = std::move(observer);
}

BOOL VirtualKeyboard::WriteReport(DWORD deviceId, const BYTE* buffer, DWORD length) {
  HidTransfer transfer;
  transfer.kind = HidTransfer::Kind::kWrite;
  transfer.timeMs = clock_.NowMs();
  transfer.deviceId = deviceId;
  if (buffer != nullptr) transfer.bytes.assign(buffer, buffer + length);

  std::lock_guard lock(mutex_);
  transfer.usage = UsageOfIdLocked(deviceId);
  const bool injected = ShouldFailLocked(transfer);
  transfer.ok = !injected && ReachableLocked(transfer.usage) && !transfer.bytes.empty() &&
                KeyboardFirmware::Accepts(transfer.usage, transfer.bytes[0]);
  if (transfer.ok) firmware_.Receive(transfer.usage, transfer.bytes);
  const BOOL result = transfer.ok ? 1 : 0;
  RecordLocked(std::move(transfer));
  return result;
}

BOOL VirtualKeyboard::ReadReport(DWORD deviceId, BYTE* buffer, DWORD length) {
  HidTransfer transfer;
  transfer.kind = HidTransfer::Kind::kRead;
  transfer.timeMs = clock_.NowMs();
  transfer.deviceId = deviceId;

  std::lock_guard lock(mutex_);
  transfer.usage = UsageOfIdLocked(deviceId);
  if (buffer != nullptr) transfer.bytes.assign(buffer, buffer + length);
  const bool injected = ShouldFailLocked(transfer);
  transfer.ok = !injected && ReachableLocked(transfer.usage) && buffer != nullptr && length > 0 &&
                firmware_.Answer(transfer.usage, std::span<BYTE>(buffer, length));
  if (transfer.ok) transfer.bytes.assign(buffer, buffer + length);
  const BOOL result = transfer.ok ? 1 : 0;
  RecordLocked(std::move(transfer));
  return result;
}

// --- The keyboard on the desk ---

VirtualKeyboard::Notification VirtualKeyboard::ChangePresence(WORD firstUsage, WORD lastUsage,
                                                              bool present) {
  Notification notification;
  std::lock_guard lock(mutex_);
  notification.window = monitorWindow_;
  notification.message = monitorMessage_;
  for (WORD usage = firstUsage; usage <= lastUsage; ++usage) {
    if (!IsUsage(usage) || CollectionOf(usage).present == present) continue;
    CollectionOf(usage).present = present;
    if (WatchedLocked(usage)) {
      notification.states.push_back(StateLocked(usage, present ? MONITOROPEN : MONITORCLOSE));
    }
  }
  return notification;
}

void VirtualKeyboard::Deliver(const Notification& notification) {
  // Each record lives until its message has been handled, as the library promises.
  for (const _DEVICE_STATE& state : notification.states) {
    windows_.Send(notification.window, notification.message, 1, reinterpret_cast<LPARAM>(&state));
  }
}

void VirtualKeyboard::Plug() {
  Deliver(ChangePresence(kFirstUsage, kLastUsage, true));
}
void VirtualKeyboard::Unplug() {
  Deliver(ChangePresence(kFirstUsage, kLastUsage, false));
}
void VirtualKeyboard::PlugCollection(WORD usage) {
  Deliver(ChangePresence(usage, usage, true));
}
void VirtualKeyboard::UnplugCollection(WORD usage) {
  Deliver(ChangePresence(usage, usage, false));
}

bool VirtualKeyboard::IsPresent(WORD usage) const {
  std::lock_guard lock(mutex_);
  return IsUsage(usage) && CollectionOf(usage).present;
}

void VirtualKeyboard::SetDeviceId(WORD usage, WORD id) {
  std::lock_guard lock(mutex_);
  if (IsUsage(usage)) CollectionOf(usage).deviceId = id;
}

WORD VirtualKeyboard::DeviceId(WORD usage) const {
  std::lock_guard lock(mutex_);
  return IsUsage(usage) ? CollectionOf(usage).deviceId : 0;
}

bool VirtualKeyboard::Monitoring() const {
  std::lock_guard lock(mutex_);
  return monitoring_;
}

void VirtualKeyboard::FailStartMonitor(bool fail) {
  std::lock_guard lock(mutex_);
  failStartMonitor_ = fail;
}

// --- Input reports ---

void VirtualKeyboard::SendInputReport(std::vector<BYTE> report, WORD usage) {
  {
    std::lock_guard lock(queueMutex_);
    if (stopping_) return;
    queue_.push_back(QueuedReport{std::move(report), usage});
    if (!thread_.joinable()) thread_ = std::thread([this] { ReportLoop(); });
  }
  queueChanged_.notify_all();
}

void VirtualKeyboard::SelectModeOnKeyboard(BYTE mode) {
  SetMode(mode);
  SendInputReport({0x0D, 0x03, KeyboardFirmware::WireMode(mode), 0, 0, 0, 0, 0, 0});
}

void VirtualKeyboard::WaitForInputReports() {
  std::unique_lock lock(queueMutex_);
  queueChanged_.wait(lock, [this] { return (queue_.empty() && !delivering_) || stopping_; });
}

std::size_t VirtualKeyboard::DeliveredReports() const {
  std::lock_guard lock(queueMutex_);
  return delivered_;
}

void VirtualKeyboard::Shutdown() {
  {
    std::lock_guard lock(queueMutex_);
    stopping_ = true;
    queue_.clear();
  }
  queueChanged_.notify_all();
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void VirtualKeyboard::ReportLoop() {
  std::unique_lock lock(queueMutex_);
  for (;;) {
    queueChanged_.wait(lock, [this] { return !queue_.empty() || stopping_; });
    if (stopping_) break;
    QueuedReport report = std::move(queue_.front());
    queue_.pop_front();
    delivering_ = true;
    lock.unlock();
    DeliverReport(report);
    lock.lock();
    delivering_ = false;
    queueChanged_.notify_all();
  }
  delivering_ = false;
  queueChanged_.notify_all();
}

void VirtualKeyboard::DeliverReport(const QueuedReport& report) {
  std::lock_guard callbackLock(callbackMutex_);
  if (callback_ == nullptr) return;
  DWORD deviceId = 0;
  {
    std::lock_guard lock(mutex_);
    if (!ReachableLocked(report.usage)) return;
    deviceId = CollectionOf(report.usage).deviceId;
  }
  callback_(deviceId, report.bytes.data(), static_cast<DWORD>(report.bytes.size()));
  std::lock_guard lock(queueMutex_);
  ++delivered_;
}

// --- The wire ---

std::vector<HidTransfer> VirtualKeyboard::Transfers() const {
  std::lock_guard lock(mutex_);
  return transfers_;
}

std::vector<HidTransfer> VirtualKeyboard::TransfersOf(HidTransfer::Kind kind) const {
  std::lock_guard lock(mutex_);
  std::vector<HidTransfer> out;
  for (const HidTransfer& t : transfers_) {
    if (t.kind == kind) out.push_back(t);
  }
  return out;
}

void VirtualKeyboard::ClearTransfers() {
  std::lock_guard lock(mutex_);
  transfers_.clear();
}

void VirtualKeyboard::FailTransfersWhen(FailurePredicate predicate) {
  std::lock_guard lock(mutex_);
  failWhen_ = std::move(predicate);
}

void VirtualKeyboard::FailNth(HidTransfer::Kind kind, std::size_t n) {
  std::lock_guard lock(mutex_);
  failCountdown_[KindIndex(kind)] = n;
}

// --- Memory ---

KeyboardMemory VirtualKeyboard::Memory() const {
  std::lock_guard lock(mutex_);
  return firmware_.Memory();
}

BYTE VirtualKeyboard::Mode() const {
  std::lock_guard lock(mutex_);
  return firmware_.Memory().mode;
}

void VirtualKeyboard::SetMode(BYTE mode) {
  std::lock_guard lock(mutex_);
  if (mode < kKeyboardModeCount) firmware_.Memory().mode = mode;
}

void VirtualKeyboard::SetFirmwareVersion(BYTE major, BYTE minor) {
  std::lock_guard lock(mutex_);
  firmware_.Memory().firmwareMajor = major;
  firmware_.Memory().firmwareMinor = minor;
}

}  // namespace kx::sim
