// Input reports through the device link: decoding alone, and decoding plus the two debugger
// lines plus posting, as the report callback does for every report on the library's thread.
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <vector>

#include "device/report_decoder.h"
#include "device/usb_driver.h"
#include "platform/debug_output.h"
#include "platform/sim/desktop.h"
#include "platform/sim/temp_folder.h"
#include "protocol/messages.h"

namespace {

using kx::BYTE;

// What the keyboard sends while someone plays: mostly key reports, now and then a mode,
// lighting or toggle report.
const std::vector<std::vector<BYTE>>& Reports() {
  static const std::vector<std::vector<BYTE>> reports = {
      {0x08, 0x2F, 0x01, 0x1E, 0, 0, 0, 0, 0},           // key pressed
      {0x08, 0x2F, 0x00, 0x1E, 0, 0, 0, 0, 0},           // key released
      {0x08, 0x31, 0x01, 0x01, 0x05, 0, 0, 0, 0},        // effect, and the key report
      {0x0D, 0x03, 0x02, 0, 0, 0, 0, 0, 0},              // mode selected
      {0x0D, 0x05, 0x00, 0x2A, 0, 0, 0, 0, 0},           // matrix key
      {0x08, 0x00, 0x07, 0x00, 0x03, 0xD6, 0x01, 0, 0},  // toggle notice
      {0x08, 0xFE, 0x06, 0x00, 0, 0, 0, 0, 0},           // switch notice
      {0x08, 0x2F, 0x01, 0xAC, 0, 0, 0, 0, 0},           // ignored key
  };
  return reports;
}

// A debugger sink that formats nothing further and keeps nothing: what the trace costs the
// callback itself when no debugger is listening.
class CountingDebugOutput final : public kx::DebugOutput {
 public:
  void Write(std::u16string_view text) override { chars_ += text.size(); }
  void WriteAscii(std::string_view text) override { chars_ += text.size(); }
  std::size_t chars_ = 0;
};

class QuietWindow final : public kx::Window {};

void BM_DecodeReport(benchmark::State& state) {
  const auto& reports = Reports();
  std::size_t i = 0;
  for (auto _ : state) {
    const std::vector<BYTE>& r = reports[i++ % reports.size()];
    benchmark::DoNotOptimize(kx::device::DecodeReport(r));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_DecodeReport);

// The report callback end to end: the process-wide link, both trace lines, the target lookups
// and the posts. The UI queue is drained outside the timed region.
void RunCallback(benchmark::State& state, bool simDebugger) {
  kx::sim::TempFolder folder("kestrix-bench");
  kx::sim::Desktop desktop{kx::sim::DesktopOptions{folder.Path()}};
  desktop.Debug().SetCapacity(0);
  CountingDebugOutput counting;
  kx::PlatformServices services = kx::InstalledPlatform();
  if (!simDebugger) services.debug = &counting;
  kx::InstallPlatform(&services);

  QuietWindow main, config, inner;
  main.CreateWindowObject({u"", std::u16string(kx::protocol::kAgentTitle), kx::WS_POPUP});
  config.CreateWindowObject({u"", std::u16string(kx::protocol::kConfigTitle), kx::WS_POPUP});
  inner.CreateWindowObject(
      {u"", std::u16string(kx::protocol::kConfigTitle), kx::WS_CHILD, 0, {}, config.Handle()});
  kx::device::CUSBDriver link;
  link.m_hMainWnd = main.Handle();

  const auto& reports = Reports();
  std::size_t i = 0;
  for (auto _ : state) {
    const std::vector<BYTE>& r = reports[i % reports.size()];
    kx::device::CUSBDriver::ReportCallback(0x4B11, r.data(), static_cast<kx::DWORD>(r.size()));
    if (++i % 8192 == 0) {
      state.PauseTiming();
      desktop.RunUntilIdle();
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
  desktop.RunUntilIdle();
}

void BM_ReportCallback(benchmark::State& state) {
  RunCallback(state, false);
}
BENCHMARK(BM_ReportCallback);

void BM_ReportCallbackSimDebugger(benchmark::State& state) {
  RunCallback(state, true);
}
BENCHMARK(BM_ReportCallbackSimDebugger);

}  // namespace

BENCHMARK_MAIN();
