#include "companions/companions.h"

#include <filesystem>
#include <fstream>

#include "platform/messages.h"
#include "platform/text_util.h"
#include "protocol/messages.h"

namespace kx::companions {

OsdProgram::OsdProgram(sim::Desktop& desktop, DWORD processId)
    : desktop_(desktop), processId_(processId) {
  window_.SetHandler([this](UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
    return Handle(message, wParam, lParam, handled);
  });
  window_.Open(protocol::kOsdTitle, protocol::kOsdClass);
}

OsdProgram::~OsdProgram() {
  ending_ = true;
  window_.SetHandler(nullptr);
  window_.DestroyWindowObject();
}

LRESULT OsdProgram::Handle(UINT message, WPARAM, LPARAM, bool* handled) {
  if (message == WM_COPYDATA) {
    *handled = true;
    return 1;  // taken
  }
  if (message == WM_DESTROY && !ending_) {
    // Told to end: the window goes and the program with it.
    ending_ = true;
    window_.DestroyWindowObject();
    desktop_.Processes().EndProcess(processId_);
    *handled = true;
    return 0;
  }
  return 0;
}

std::vector<protocol::OsdRecord> OsdProgram::Shown() const {
  std::vector<protocol::OsdRecord> shown;
  for (const sim::ReceivedMessage& m : window_.ReceivedOf(WM_COPYDATA)) {
    if (m.copyDataId != 0) continue;
    if (auto record = protocol::ReadOsdRecord(m.copyData)) shown.push_back(std::move(*record));
  }
  return shown;
}

Companions::Companions(sim::Desktop& desktop) : desktop_(desktop) {
  desktop_.Shell().RegisterProgram(kOsdProgramFile, [this](DWORD processId) {
    osdRuns_.push_back(std::make_unique<OsdProgram>(desktop_, processId));
  });
  desktop_.Shell().RegisterProgram(kTrayProgramFile, [this](DWORD) { OpenTrayWindow(); });
}

Companions::~Companions() {
  // The shell keeps the last program registered for a name: later starts open nothing.
  desktop_.Shell().RegisterProgram(kOsdProgramFile, [](DWORD) {});
  desktop_.Shell().RegisterProgram(kTrayProgramFile, [](DWORD) {});
}

void Companions::InstallProgramFile(std::u16string_view fileName) {
  const std::filesystem::path folder = desktop_.HostProgramFolder();
  std::filesystem::create_directories(folder);
  std::ofstream(folder / ToUtf8(fileName), std::ios::binary) << "MZ";
}

void Companions::InstallProgramFiles() {
  InstallProgramFile(kOsdProgramFile);
  InstallProgramFile(kTrayProgramFile);
}

ConfigProgram& Companions::StartConfigProgram(bool withInnerWindow) {
  const sim::CreatingProcessScope creating(desktop_.Windows(),
                                           desktop_.Processes().StartProcess(kConfigProgramFile));
  config_.outer_.Open(protocol::kConfigTitle);
  if (withInnerWindow) config_.inner_.Open(protocol::kConfigTitle, u"", config_.outer_.Handle());
  return config_;
}

sim::RecordingWindow& Companions::OpenWindow(std::u16string_view title) {
  windows_.push_back(std::make_unique<sim::RecordingWindow>());
  windows_.back()->Open(title);
  return *windows_.back();
}

void Companions::StartTrayProgram() {
  const sim::CreatingProcessScope creating(desktop_.Windows(),
                                           desktop_.Processes().StartProcess(kTrayProgramFile));
  OpenTrayWindow();
}

void Companions::OpenTrayWindow() {
  trays_.push_back(std::make_unique<sim::RecordingWindow>());
  trays_.back()->Open(protocol::kTrayTitle);
}

sim::RecordingWindow* Companions::Tray() {
  for (auto& tray : trays_) {
    if (tray->Handle() != nullptr) return tray.get();
  }
  return nullptr;
}

OsdProgram* Companions::RunningOsd() {
  for (auto& run : osdRuns_) {
    if (run->Running()) return run.get();
  }
  return nullptr;
}

std::vector<std::u16string> Companions::OsdTexts() const {
  std::vector<std::u16string> texts;
  for (const auto& run : osdRuns_) {
    for (const protocol::OsdRecord& record : run->Shown())
      texts.push_back(record.text);
  }
  return texts;
}

}  // namespace kx::companions
