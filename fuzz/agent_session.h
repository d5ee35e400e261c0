// One run of the agent on a fresh simulated desktop, for the fuzz target of its message
// handlers: the agent's folder holds its language file, its skins and its companions' programs;
// the configuration, tray and "DLGLoading" windows are open; the keyboard is plugged in.
#pragma once

#include <filesystem>
#include <memory>

#include "app/hid_app.h"
#include "companions/companions.h"
#include "platform/sim/desktop.h"
#include "platform/sim/temp_folder.h"

namespace kx::fuzz {

class AgentSession {
 public:
  // agentFiles: a folder whose files (Strings.xml, skins\...) are copied into the agent's
  // program folder; dataFiles: one copied into its data folder before it starts (so it need not
  // write its factory profiles first). Empty for none.
  AgentSession(const std::filesystem::path& agentFiles, const std::filesystem::path& dataFiles);
  ~AgentSession();
  AgentSession(const AgentSession&) = delete;
  AgentSession& operator=(const AgentSession&) = delete;

  sim::Desktop& Desktop() { return desktop_; }
  companions::Companions& Companions() { return companions_; }
  app::CHidApp* App() { return app_.get(); }
  // The agent's main window, null once it is gone.
  HWND AgentWindow();
  // Ends the agent as log-off does (WM_CLOSE to its window) and runs its exit.
  void CloseAgent();

 private:
  sim::TempFolder folder_;
  sim::Desktop desktop_;
  companions::Companions companions_;
  std::unique_ptr<app::CHidApp> app_;
};

}  // namespace kx::fuzz
