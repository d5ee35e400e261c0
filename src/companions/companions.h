// The programs the agent lives beside, on the simulated desktop: the configuration program
// (window "Kestrix" with its inner window "Kestrix"), the tray program ("trayicon.exe", window
// "Kestrix_TrayIcon"), the OSD program ("OSD.exe", window class "On Screen Display", title
// "Kestrix OSD"), "DLGLoading" and the configuration program's dialogs. Every window records
// every message it receives. The tray and OSD programs are registered with the desktop's shell,
// so starting their executables from the agent's folder opens their windows.
//
// A Companions object must go before the desktop it was made for, and after the agent.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/desktop.h"
#include "platform/sim/recording_window.h"
#include "protocol/osd_record.h"

namespace kx::companions {

inline constexpr std::u16string_view kOsdProgramFile = u"OSD.exe";
inline constexpr std::u16string_view kTrayProgramFile = u"trayicon.exe";
inline constexpr std::u16string_view kConfigProgramFile = u"Kestrix.exe";

// The configuration program: its main window and, inside it, the window the agent's notices
// go to.
class ConfigProgram {
 public:
  bool Running() const { return outer_.Handle() != nullptr; }
  sim::RecordingWindow& Outer() { return outer_; }
  sim::RecordingWindow& Inner() { return inner_; }

 private:
  friend class Companions;
  sim::RecordingWindow outer_;
  sim::RecordingWindow inner_;
};

// One run of the OSD program: its window shows the texts it is sent and goes away, ending the
// program, when the agent posts it WM_DESTROY.
class OsdProgram {
 public:
  OsdProgram(sim::Desktop& desktop, DWORD processId);
  ~OsdProgram();
  OsdProgram(const OsdProgram&) = delete;
  OsdProgram& operator=(const OsdProgram&) = delete;

  bool Running() const { return window_.Handle() != nullptr; }
  DWORD ProcessId() const { return processId_; }
  sim::RecordingWindow& Window() { return window_; }
  // The records received, in order (a record of the wrong size is not shown and not listed).
  std::vector<protocol::OsdRecord> Shown() const;

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);

  sim::Desktop& desktop_;
  const DWORD processId_;
  bool ending_ = false;
  sim::RecordingWindow window_;
};

class Companions {
 public:
  explicit Companions(sim::Desktop& desktop);
  ~Companions();
  Companions(const Companions&) = delete;
  Companions& operator=(const Companions&) = delete;

  // Puts an executable file into the agent's program folder: the shell starts only files that
  // exist. InstallProgramFiles puts "OSD.exe" and "trayicon.exe" there.
  void InstallProgramFile(std::u16string_view fileName);
  void InstallProgramFiles();

  // Starts the configuration program, with or without its inner window.
  ConfigProgram& StartConfigProgram(bool withInnerWindow = true);
  ConfigProgram& Config() { return config_; }

  // Opens a recording top-level window with this title ("DLGLoading", "ManageProfile" ...).
  sim::RecordingWindow& OpenWindow(std::u16string_view title);

  // The tray program as if the user had started it before the agent (no shell launch).
  void StartTrayProgram();
  // The tray program's window while one runs, else null; and how often it was started.
  sim::RecordingWindow* Tray();
  std::size_t TrayStarts() const { return trays_.size(); }

  // The runs of the OSD program, oldest first; the one running now, or null.
  const std::vector<std::unique_ptr<OsdProgram>>& OsdRuns() const { return osdRuns_; }
  OsdProgram* RunningOsd();
  // Every text the OSD programs were sent, oldest first.
  std::vector<std::u16string> OsdTexts() const;

 private:
  void OpenTrayWindow();

  sim::Desktop& desktop_;
  ConfigProgram config_;
  std::vector<std::unique_ptr<sim::RecordingWindow>> trays_;
  std::vector<std::unique_ptr<sim::RecordingWindow>> windows_;
  std::vector<std::unique_ptr<OsdProgram>> osdRuns_;
};

}  // namespace kx::companions
