// One run of the agent on the simulated desktop, exactly as the system runs it: the desktop with
// the agent's program folder and the user's application data mounted, the keyboard, the
// companion programs, then CHidApp's start-up, its message loop pumped by the caller, and its
// exit after WM_CLOSE to "Kestrix_Hid". Every operation lets the agent handle what it caused
// before it returns.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/hid_app.h"
#include "companions/companions.h"
#include "desktop_recorder.h"
#include "event_log.h"
#include "platform/sim/desktop.h"
#include "platform/sim/recording_window.h"
#include "progress_screenshots.h"

namespace kx::simtool {

struct SessionOptions {
  std::filesystem::path desktopRoot;    // drive C: and the registry (required)
  std::filesystem::path appData;        // the user's roaming application data (required)
  std::filesystem::path programFolder;  // the agent's folder: Strings.xml, skins, OSD.exe ...
  std::filesystem::path screenshots;    // pictures of the progress window; empty: none
  bool realTime = false;
};

class AgentSession {
 public:
  AgentSession(const SessionOptions& options, EventLog& log);
  ~AgentSession();
  AgentSession(const AgentSession&) = delete;
  AgentSession& operator=(const AgentSession&) = delete;

  // Starts the configuration program (with "DLGLoading"), then the agent; false when the agent
  // did not start.
  bool Start();
  // Closes the agent as log-off does (WM_CLOSE to "Kestrix_Hid", if it still runs) and runs its
  // exit; returns ExitInstance's result. Nothing happens after that.
  int Close();
  bool AgentWindowExists() const;

  // --- The keyboard on the desk ---
  void Plug();
  void Unplug();
  void SetFirmware(BYTE major, BYTE minor);
  // The keyboard sends an input report on its first collection.
  void SendReport(std::vector<BYTE> report);
  // The user selects a mode with the keyboard's mode key (the keyboard reports 0D 03 mode).
  void PressModeKey(BYTE mode);

  // --- Other programs ---
  void PostToAgent(UINT message, WPARAM wParam, LPARAM lParam);
  void Broadcast(WPARAM code, LPARAM value);
  // A process with this executable name owns the foreground window from now on.
  void BringToForeground(std::u16string_view exeName);
  // A window of another program, recording and logging what it receives, appears or goes.
  void OpenWindow(std::u16string_view title);
  // False when no window of another program has that title.
  bool CloseWindow(std::u16string_view title);
  // A program the shell can start: the file exists, and starting it opens a window with this
  // title that comes to the foreground.
  void InstallProgram(std::u16string_view path, std::u16string_view windowTitle);

  // --- The desktop ---
  void Wait(std::uint64_t ms);
  void CreateRegistryKey(std::u16string_view path);
  void DeleteRegistryKey(std::u16string_view path);
  // Lets the agent handle everything that is ready now.
  void Settle();

  std::uint64_t Elapsed() const { return recorder_.Elapsed(); }
  sim::Desktop& Desktop() { return desktop_; }
  companions::Companions& Companions() { return companions_; }
  // The agent's main window object while the agent runs, else null.
  const core::CHidWnd* Agent() const { return app_ ? app_->MainHidWnd() : nullptr; }
  const ProgressScreenshots& Screenshots() const { return screenshots_; }
  // The agent's files as the host sees them.
  std::filesystem::path DataFolder() const { return desktop_.HostAppData() / "Kestrix"; }

 private:
  struct ForegroundProgram {
    DWORD processId = 0;
    std::unique_ptr<sim::RecordingWindow> window;
  };

  // Opens a recording window in the given process.
  sim::RecordingWindow& OpenWindowOf(DWORD processId, std::u16string_view title);

  sim::Desktop desktop_;
  DesktopRecorder recorder_;
  ProgressScreenshots screenshots_;
  companions::Companions companions_;
  DWORD configProcess_ = 0;
  std::vector<std::unique_ptr<sim::RecordingWindow>> windows_;
  std::map<std::u16string, ForegroundProgram> foreground_;  // by upper-case executable name
  std::unique_ptr<app::CHidApp> app_;
  bool closed_ = false;
};

}  // namespace kx::simtool
