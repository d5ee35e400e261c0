#include "agent_session.h"

#include "fuzz_support.h"
#include "platform/messages.h"
#include "protocol/messages.h"

namespace kx::fuzz {

AgentSession::AgentSession(const std::filesystem::path& agentFiles,
                           const std::filesystem::path& dataFiles)
    : folder_("kx-fuzz-agent"),
      desktop_(sim::DesktopOptions{folder_.Path()}),
      companions_(desktop_) {
  constexpr auto kCopy =
      std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing;
  if (!agentFiles.empty()) std::filesystem::copy(agentFiles, desktop_.HostProgramFolder(), kCopy);
  if (!dataFiles.empty()) {
    std::filesystem::create_directories(desktop_.HostAppData() / "Kestrix");
    std::filesystem::copy(dataFiles, desktop_.HostAppData() / "Kestrix", kCopy);
  }
  companions_.InstallProgramFiles();
  companions_.StartConfigProgram();
  companions_.StartTrayProgram();
  companions_.OpenWindow(protocol::kLoadingTitle);
  desktop_.Keyboard().Plug();
  app_ = std::make_unique<app::CHidApp>();
  KX_FUZZ_CHECK(app_->InitInstance());
  desktop_.RunUntilIdle();
}

AgentSession::~AgentSession() {
  CloseAgent();
  desktop_.Keyboard().Shutdown();
}

HWND AgentSession::AgentWindow() {
  return desktop_.Windows().Find(u"", protocol::kAgentTitle);
}

void AgentSession::CloseAgent() {
  if (!app_) return;
  if (HWND agent = AgentWindow()) desktop_.Windows().Post(agent, WM_CLOSE, 0, 0);
  desktop_.RunUntilIdle();
  app_->ExitInstance();
  app_.reset();
  desktop_.RunUntilIdle();
}

}  // namespace kx::fuzz
