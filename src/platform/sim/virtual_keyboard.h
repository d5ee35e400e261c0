// The simulated HID access library with a Kestrix keyboard behind it: identity 0x258A/0x0090,
// five vendor collections (usages 1-5 on page 0xFF00), each with its own device id.
//
// Plugging and unplugging happen on the user-interface thread and notify the monitoring window
// synchronously (the window system's Send), one collection after the other in usage order, so
// all five are in the agent's list before it handles the first WM_DEVICE_PLUG they cause.
// Input reports travel to the report callback on the keyboard's own thread. Every transfer is
// recorded with its virtual time, and any of them can be made to fail.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/hid_library.h"
#include "platform/sim/virtual_keyboard_firmware.h"
#include "platform/window_system.h"

namespace kx::sim {

// One write or read on the wire, as the library saw it.
struct HidTransfer {
  enum class Kind : std::uint8_t { kWrite, kRead };
  Kind kind = Kind::kWrite;
  std::uint64_t timeMs = 0;  // on the desktop's clock
  DWORD deviceId = 0;
  WORD usage = 0;           // the usage of the collection the id names; 0 when it names none
  std::vector<BYTE> bytes;  // a write: the bytes sent; a read: the buffer afterwards
  bool ok = false;          // what the library answered
};

class VirtualKeyboard final : public HidLibrary {
 public:
  static constexpr DWORD kVendorId = 0x258A;
  static constexpr DWORD kProductId = 0x0090;
  static constexpr WORD kUsagePage = 0xFF00;
  static constexpr WORD kFirstUsage = 1;
  static constexpr WORD kLastUsage = 5;
  // The collection the keyboard sends its input reports on unless told otherwise.
  static constexpr WORD kInputUsage = 1;

  using FailurePredicate = std::function<bool(const HidTransfer&)>;

  VirtualKeyboard(Clock& clock, WindowSystem& windows);
  ~VirtualKeyboard() override;
  VirtualKeyboard(const VirtualKeyboard&) = delete;
  VirtualKeyboard& operator=(const VirtualKeyboard&) = delete;

  // --- The library ---
  // The filter takes effect with the next StartMonitor. A collection matches when the vendor
  // and product match and one of the used entries names its usage and page.
  void SetDeviceFilter(const DEVICE_FILTER* filter) override;
  void SetReportCallback(ReportCallback callback) override;
  // Reports every present matching collection (MONITOROPEN) before it returns. Fails for a
  // missing window, or when told to.
  BOOL StartMonitor(HWND window, UINT message) override;
  void StopMonitor() override;
  // Fails while the id names no present, watched collection, for a report id the collection
  // does not take, and when told to.
  BOOL WriteReport(DWORD deviceId, const BYTE* buffer, DWORD length) override;
  // Answers the query written last on collection 2 (07 80, 07 81), once; fails when nothing
  // is waiting, on other collections, and when told to. A failed read leaves the buffer alone.
  BOOL ReadReport(DWORD deviceId, BYTE* buffer, DWORD length) override;

  // --- The keyboard on the desk (user-interface thread) ---
  void Plug();    // every collection that is not present arrives, in usage order
  void Unplug();  // every present collection leaves, in usage order
  void PlugCollection(WORD usage);
  void UnplugCollection(WORD usage);
  bool IsPresent(WORD usage) const;
  // The id a collection has from its next arrival or report on (usages 1-5).
  void SetDeviceId(WORD usage, WORD id);
  WORD DeviceId(WORD usage) const;
  bool Monitoring() const;
  // Makes StartMonitor fail (true) or work again (false).
  void FailStartMonitor(bool fail);

  // --- Input reports (delivered on the keyboard's own thread) ---
  // Queues a report for the report callback. It is delivered, with the collection's id, only
  // while the collection is present and watched and a callback is set; otherwise it is lost.
  void SendInputReport(std::vector<BYTE> report, WORD usage = kInputUsage);
  // The user selects a mode with the keyboard's mode key: the mode changes and the keyboard
  // reports 0D 03 mode (6 for mode 0).
  void SelectModeOnKeyboard(BYTE mode);
  // Returns once every report queued so far has been delivered or lost.
  void WaitForInputReports();
  std::size_t DeliveredReports() const;
  // Stops the keyboard's thread; reports still queued are lost. Nothing is delivered after it.
  void Shutdown();

  // --- The wire ---
  std::vector<HidTransfer> Transfers() const;  // writes and reads, oldest first
  std::vector<HidTransfer> TransfersOf(HidTransfer::Kind kind) const;
  std::vector<HidTransfer> Writes() const { return TransfersOf(HidTransfer::Kind::kWrite); }
  std::vector<HidTransfer> Reads() const { return TransfersOf(HidTransfer::Kind::kRead); }
  void ClearTransfers();
  // Every later transfer for which the predicate answers true fails (null: none do). It runs
  // with the keyboard locked: it must not call the keyboard.
  void FailTransfersWhen(FailurePredicate predicate);
  // The n-th transfer of that kind from now on (1: the next one) fails; 0 cancels.
  void FailNth(HidTransfer::Kind kind, std::size_t n);
  // Called with every transfer as it is recorded (the main job's event log). It runs with the
  // keyboard locked: it must not call the keyboard.
  void SetTransferObserver(std::function<void(const HidTransfer&)> observer);

  // --- The keyboard's memory ---
  KeyboardMemory Memory() const;  // a snapshot
  BYTE Mode() const;
  void SetMode(BYTE mode);  // 0-5, as if selected without a report
  void SetFirmwareVersion(BYTE major, BYTE minor);

 private:
  struct Collection {
    WORD deviceId = 0;
    bool present = false;
  };
  struct Notification {
    HWND window = nullptr;
    UINT message = 0;
    std::vector<_DEVICE_STATE> states;
  };
  struct QueuedReport {
    std::vector<BYTE> bytes;
    WORD usage = 0;
  };

  static bool IsUsage(WORD usage) { return usage >= kFirstUsage && usage <= kLastUsage; }
  Collection& CollectionOf(WORD usage) { return collections_[usage - kFirstUsage]; }
  const Collection& CollectionOf(WORD usage) const { return collections_[usage - kFirstUsage]; }
  bool WatchedLocked(WORD usage) const;
  // A collection the library can talk to: one of ours, present and watched by the filter.
  bool ReachableLocked(WORD usage) const {
    return IsUsage(usage) && CollectionOf(usage).present && WatchedLocked(usage);
  }
  WORD UsageOfIdLocked(DWORD deviceId) const;
  _DEVICE_STATE StateLocked(WORD usage, DWORD event) const;
  // Marks the collections present (or not) and collects the notifications that causes.
  Notification ChangePresence(WORD firstUsage, WORD lastUsage, bool present);
  void Deliver(const Notification& notification);
  bool ShouldFailLocked(const HidTransfer& transfer);
  void RecordLocked(HidTransfer transfer);
  void ReportLoop();
  void DeliverReport(const QueuedReport& report);

  Clock& clock_;
  WindowSystem& windows_;

  // Held while the report callback runs, so clearing it or stopping waits for that call.
  std::recursive_mutex callbackMutex_;
  ReportCallback callback_ = nullptr;

  mutable std::mutex mutex_;  // guards everything below, except the report queue
  DEVICE_FILTER filter_{};
  DEVICE_FILTER monitorFilter_{};
  bool monitoring_ = false;
  bool failStartMonitor_ = false;
  HWND monitorWindow_ = nullptr;
  UINT monitorMessage_ = 0;
  std::array<Collection, kLastUsage> collections_;
  KeyboardFirmware firmware_;
  std::vector<HidTransfer> transfers_;
  std::function<void(const HidTransfer&)> transferObserver_;
  FailurePredicate failWhen_;
  std::array<std::size_t, 2> failCountdown_{};  // by Kind

  mutable std::mutex queueMutex_;  // guards the report queue and the thread's state
  std::condition_variable queueChanged_;
  std::deque<QueuedReport> queue_;
  bool delivering_ = false;
  bool stopping_ = false;
  std::size_t delivered_ = 0;
  std::thread thread_;
};

}  // namespace kx::sim
