#include "agent_session.h"

#include <fstream>
#include <system_error>

#include "core/hid_wnd.h"
#include "platform/registry.h"
#include "platform/text_util.h"
#include "protocol/messages.h"
#include "ui/progress_dlg.h"

namespace kx::simtool {

namespace {

sim::DesktopOptions DesktopOptionsOf(const SessionOptions& options) {
  sim::DesktopOptions desktop;
  desktop.root = options.desktopRoot;
  desktop.appData = options.appData;
  desktop.programFolder = options.programFolder;
  desktop.realTime = options.realTime;
  return desktop;
}

std::u16string UpperCase(std::u16string_view text) {
  std::u16string upper;
  for (char16_t c : text)
    upper.push_back(SimpleUpper(c));
  return upper;
}

std::u16string_view FileNameOf(std::u16string_view path) {
  const std::size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

AgentSession::AgentSession(const SessionOptions& options, EventLog& log)
    : desktop_(DesktopOptionsOf(options)),
      recorder_(desktop_, log),
      screenshots_(desktop_, options.screenshots),
      companions_(desktop_) {
  // As the product's installer leaves the computer: the agent only opens this key.
  desktop_.Registry().CreateKeyPath(HkeyCurrentUser(), u"SOFTWARE\\Kestrix");
  // A keyboard that answers the version query with 0 0 until told otherwise.
  desktop_.Keyboard().SetFirmwareVersion(0, 0);
  recorder_.SetHandledHook([this](const Msg& msg) {
    const core::CHidWnd* agent = Agent();
    screenshots_.AfterMessage(msg, agent != nullptr ? agent->ProgressDialog() : nullptr);
  });
}

AgentSession::~AgentSession() {
  Close();
}

bool AgentSession::Start() {
  companions_.StartConfigProgram(true);
  configProcess_ = desktop_.Windows().WindowProcess(companions_.Config().Outer().Handle());
  OpenWindowOf(configProcess_, protocol::kLoadingTitle);

  recorder_.Start();
  app_ = std::make_unique<app::CHidApp>();
  if (!app_->InitInstance()) {
    app_->ExitInstance();
    app_.reset();
    closed_ = true;
    return false;
  }
  Settle();
  return true;
}

int AgentSession::Close() {
  if (closed_ || !app_) return 0;
  closed_ = true;
  if (AgentWindowExists()) {
    desktop_.Windows().Post(app_->MainHidWnd()->Handle(), WM_CLOSE, 0, 0);
    Settle();
  }
  const int exitCode = app_->ExitInstance();
  Settle();
  app_.reset();
  return exitCode;
}

bool AgentSession::AgentWindowExists() const {
  const core::CHidWnd* agent = Agent();
  return agent != nullptr && agent->Handle() != nullptr;
}

void AgentSession::Settle() {
  desktop_.RunUntilIdle();
}

void AgentSession::Plug() {
  desktop_.Keyboard().Plug();
  Settle();
}

void AgentSession::Unplug() {
  desktop_.Keyboard().Unplug();
  Settle();
}

void AgentSession::SetFirmware(BYTE major, BYTE minor) {
  desktop_.Keyboard().SetFirmwareVersion(major, minor);
}

void AgentSession::SendReport(std::vector<BYTE> report) {
  sim::VirtualKeyboard& keyboard = desktop_.Keyboard();
  keyboard.SendInputReport(std::move(report));
  keyboard.WaitForInputReports();
  Settle();
}

void AgentSession::PressModeKey(BYTE mode) {
  sim::VirtualKeyboard& keyboard = desktop_.Keyboard();
  keyboard.SelectModeOnKeyboard(mode);
  keyboard.WaitForInputReports();
  Settle();
}

void AgentSession::PostToAgent(UINT message, WPARAM wParam, LPARAM lParam) {
  // As another program does it: whatever window has the title gets it.
  HWND agent = desktop_.Windows().Find(u"", protocol::kAgentTitle);
  if (agent != nullptr) desktop_.Windows().Post(agent, message, wParam, lParam);
  Settle();
}

void AgentSession::Broadcast(WPARAM code, LPARAM value) {
  sim::SimWindowSystem& windows = desktop_.Windows();
  windows.Post(HwndBroadcast(), windows.RegisterMessage(protocol::kSyncMessageName), code, value);
  Settle();
}

void AgentSession::BringToForeground(std::u16string_view exeName) {
  ForegroundProgram& program = foreground_[UpperCase(exeName)];
  if (program.processId == 0) program.processId = desktop_.Processes().StartProcess(exeName);
  if (!program.window || program.window->Handle() == nullptr) {
    const sim::CreatingProcessScope creating(desktop_.Windows(), program.processId);
    program.window = std::make_unique<sim::RecordingWindow>();
    program.window->Open(exeName);
  }
  desktop_.Processes().SetForeground(program.window->Handle());
  Settle();
}

sim::RecordingWindow& AgentSession::OpenWindowOf(DWORD processId, std::u16string_view title) {
  const sim::CreatingProcessScope creating(desktop_.Windows(), processId);
  windows_.push_back(std::make_unique<sim::RecordingWindow>());
  windows_.back()->Open(title);
  return *windows_.back();
}

void AgentSession::OpenWindow(std::u16string_view title) {
  // The windows the agent knows by title belong to the configuration program.
  OpenWindowOf(configProcess_, title);
  Settle();
}

bool AgentSession::CloseWindow(std::u16string_view title) {
  sim::SimWindowSystem& windows = desktop_.Windows();
  for (HWND window : windows.TopLevelWindows()) {
    if (windows.WindowProcess(window) == sim::Desktop::kAgentProcessId) continue;
    if (!EqualsIgnoreCase(windows.GetText(window), title)) continue;
    windows.Destroy(window);
    Settle();
    return true;
  }
  return false;
}

void AgentSession::InstallProgram(std::u16string_view path, std::u16string_view windowTitle) {
  if (auto host = desktop_.Files().HostPath(path)) {
    std::error_code ec;
    std::filesystem::create_directories(host->parent_path(), ec);
    std::ofstream(*host, std::ios::binary) << "MZ";
  }
  desktop_.Shell().RegisterProgram(FileNameOf(path),
                                   [this, title = std::u16string(windowTitle)](DWORD) {
                                     // The shell has made the new process the creator of the
                                     // windows opened here.
                                     windows_.push_back(std::make_unique<sim::RecordingWindow>());
                                     windows_.back()->Open(title);
                                     desktop_.Processes().SetForeground(windows_.back()->Handle());
                                   });
}

void AgentSession::Wait(std::uint64_t ms) {
  desktop_.RunFor(ms);
}

void AgentSession::CreateRegistryKey(std::u16string_view path) {
  desktop_.Registry().CreateKeyPath(HkeyCurrentUser(), path);
}

void AgentSession::DeleteRegistryKey(std::u16string_view path) {
  desktop_.Registry().DeleteKeyTree(HkeyCurrentUser(), path);
}

}  // namespace kx::simtool
