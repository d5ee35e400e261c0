// Shared by the fuzz targets: one simulated desktop for the whole run (made on first use, so
// each input costs only the work it fuzzes), and a check that stops the run with a message
// when an invariant breaks, so libFuzzer saves the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/sim/desktop.h"
#include "platform/sim/temp_folder.h"

namespace kx::fuzz {

// Aborts with the failed condition: a broken invariant is a finding like a crash.
#define KX_FUZZ_CHECK(condition)                                                             \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (false)

// The desktop every input of this process runs on, on a fresh host folder that goes when the
// process ends normally.
class FuzzDesktop {
 public:
  static FuzzDesktop& Get() {
    static FuzzDesktop instance;
    return instance;
  }
  sim::Desktop& Desktop() { return desktop_; }
  const std::filesystem::path& Root() const { return folder_.Path(); }

 private:
  FuzzDesktop() : folder_("kx-fuzz"), desktop_(sim::DesktopOptions{folder_.Path()}) {}

  sim::TempFolder folder_;
  sim::Desktop desktop_;
};

}  // namespace kx::fuzz
