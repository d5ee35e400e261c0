// render-progress SKINDIR POS OUT.png: shows the progress window made from the skins in
// SKINDIR on the simulated desktop, as the agent shows it while it writes a profile, moves
// its bar to POS and writes a picture of it.
#include <charconv>
#include <filesystem>
#include <iostream>

#include "command.h"
#include "platform/messages.h"
#include "platform/sim/desktop.h"
#include "platform/sim/recording_window.h"
#include "platform/sim/temp_folder.h"
#include "platform/text_util.h"
#include "ui/progress_dlg.h"
#include "ui/resources.h"
#include "ui/skin_image.h"

namespace kx::tool {

namespace {

bool ParseInt(const std::string& text, int* value) {
  const char* end = text.data() + text.size();
  auto [ptr, error] = std::from_chars(text.data(), end, *value);
  return error == std::errc() && ptr == end;
}

// Says which skin files are unusable, so a plain drawn bar in the picture is no surprise.
void ReportSkins(const std::u16string& folder) {
  for (std::u16string_view file : {ui::CProgressDlg::kMaskFile, ui::CProgressDlg::kEmptyBarFile,
                                   ui::CProgressDlg::kFullBarFile}) {
    ui::Bitmap bitmap;
    SIZE size;
    if (ui::LoadSkinImage(folder + std::u16string(file), bitmap, &size)) {
      std::cout << ToUtf8(file) << ": " << size.cx << " x " << size.cy << "\n";
    } else {
      std::cout << ToUtf8(file) << ": missing or not a picture\n";
    }
  }
}

int RenderProgress(const std::vector<std::string>& args) {
  if (args.size() != 3) return UsageError("render-progress takes SKINDIR POS OUT.png");
  const std::filesystem::path skins = args[0];
  int pos = 0;
  if (!ParseInt(args[1], &pos))
    return UsageError("POS must be a whole number, not '" + args[1] + "'");
  const std::filesystem::path out = args[2];
  if (!std::filesystem::is_directory(skins)) {
    std::cerr << "kestrix-tool: no such folder: " << skins.string() << "\n";
    return kExitFailed;
  }

  sim::TempFolder root("kestrix-render");
  sim::Desktop desktop(sim::DesktopOptions{root.Path()});
  const std::u16string agentFolder = std::u16string(sim::Desktop::kProgramFolder) + u"\\";
  desktop.Files().Mount(agentFolder + u"skins", std::filesystem::absolute(skins));
  ReportSkins(agentFolder);

  // The agent's hidden main window owns the progress window.
  sim::RecordingWindow mainWindow;
  ui::CProgressDlg dlg;
  if (!mainWindow.Open(u"Kestrix_Hid") || !dlg.Create(ui::IDD_PROGRESS, &mainWindow)) {
    std::cerr << "kestrix-tool: the progress window could not be created\n";
    return kExitFailed;
  }
  // Shown as the agent shows it: centred by the empty bar's size, top-most, renamed, at 0.
  WindowSystem& windows = desktop.Windows();
  const int screenWidth = desktop.System().GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = desktop.System().GetSystemMetrics(SM_CYSCREEN);
  windows.SetWindowPos(dlg.Handle(), HwndTopmost(), (screenWidth - dlg.m_nWidth) / 2,
                       (screenHeight - dlg.m_nHeight) / 2, 0, 0, SWP_NOSIZE);
  windows.SetText(dlg.Handle(), ui::CProgressDlg::kShownTitle);
  dlg.m_marker.SetPos(0);
  windows.Show(dlg.Handle(), SW_SHOW);
  desktop.RunUntilIdle();
  dlg.m_marker.SetPos(pos);
  desktop.RunUntilIdle();

  if (!desktop.Graphics().Screenshot(dlg.Handle(), out)) {
    std::cerr << "kestrix-tool: cannot write " << out.string() << "\n";
    return kExitFailed;
  }
  const RECT placed = windows.GetWindowRect(dlg.Handle());
  const auto region = desktop.Graphics().WindowRegion(dlg.Handle());
  std::cout << "\"" << ToUtf8(windows.GetText(dlg.Handle())) << "\": " << placed.Width() << " x "
            << placed.Height() << " at (" << placed.left << ", " << placed.top << ") on a "
            << screenWidth << " x " << screenHeight << " screen, top-most\n"
            << "shape: "
            << (region
                    ? "cut by the mask (" + std::to_string(region->Rects().size()) + " rectangles)"
                    : std::string("rectangular"))
            << "\n"
            << "bar: position " << dlg.m_marker.m_nPos << " of " << dlg.m_marker.m_nMin << ".."
            << dlg.m_marker.m_nMax << ", " << dlg.m_marker.FilledWidth() << " of "
            << dlg.m_marker.m_rcBar.Width() << " pixels full\n"
            << "wrote " << out.string() << "\n";
  return kExitOk;
}

}  // namespace

KX_TOOL_COMMAND(render_progress, "render-progress",
                "render-progress SKINDIR POS OUT.png   picture of the progress window at POS",
                RenderProgress);

}  // namespace kx::tool
