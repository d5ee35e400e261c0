// Writing the current profile to the keyboard when another program asks: the key assignments
// and macros (WM_PROFILE_SYNC) or the lighting (WM_LIGHT_SYNC), under the progress window,
// ending with a notice to the window titled "DLGLoading".
#include "core/default_key_matrix.h"
#include "core/hid_wnd.h"
#include "core/key_assignments.h"
#include "core/key_tables.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/system_settings.h"
#include "platform/window_system.h"
#include "protocol/messages.h"
#include "protocol/windows.h"
#include "ui/progress_dlg.h"
#include "ui/resources.h"

namespace kx::core {

namespace {

constexpr std::uint32_t kAfterLightEffectMs = 100;
constexpr std::uint32_t kAfterLightColourMs = 200;
constexpr std::uint32_t kAfterMacroMs = 100;
constexpr std::uint32_t kAfterKeyAssignmentsMs = 200;

// Lighting effects with data of their own: one colour, or the per-key colours of layout 0.
constexpr BYTE kEffectSingleColour = 4;
constexpr BYTE kEffectPerKeyColours = 10;

}  // namespace

void CHidWnd::ShowProgressWindow() {
  // A second request replaces the window on screen rather than leaving it behind.
  EndProgressWindow();
  auto dialog = std::make_unique<ui::CProgressDlg>();
  if (!dialog->Create(ui::IDD_PROGRESS, this)) return;
  WindowSystem& windows = os::Windows();
  const SystemSettings& system = os::System();
  const int x = (system.GetSystemMetrics(SM_CXSCREEN) - dialog->m_nWidth) / 2;
  const int y = (system.GetSystemMetrics(SM_CYSCREEN) - dialog->m_nHeight) / 2;
  windows.SetWindowPos(dialog->Handle(), HwndTopmost(), x, y, 0, 0, SWP_NOSIZE);
  windows.SetText(dialog->Handle(), ui::CProgressDlg::kShownTitle);
  m_pProgressDlg = std::move(dialog);
  SetProgress(0);
  windows.Show(m_pProgressDlg->Handle(), SW_SHOW);
}

void CHidWnd::EndProgressWindow() {
  if (!m_pProgressDlg) return;
  os::Windows().Show(m_pProgressDlg->Handle(), SW_HIDE);
  m_pProgressDlg.reset();  // a new window is made for every write
}

void CHidWnd::SetProgress(int position) {
  // The loop is blocked while the keyboard is written: the bar repaints itself at once.
  if (m_pProgressDlg) m_pProgressDlg->m_marker.SetPos(position);
}

void CHidWnd::NotifyLoadingWindow() {
  protocol::PostToTitle(protocol::kLoadingTitle, protocol::WM_PROFILE_SYNC, 0, 0);
}

LRESULT CHidWnd::OnShowProgress() {
  ShowProgressWindow();
  return 1;
}

LRESULT CHidWnd::OnLightSync(WPARAM wParam) {
  const BYTE mode = static_cast<BYTE>(wParam);
  ShowProgressWindow();
  SetProgress(20);
  ReloadAll();
  const profiles::PROFILE_DATA& current = Settings().Current;
  const BYTE effect = current.LightInfo.Effect;
  m_usbDriver.SetDeviceMode(mode);
  SetProgress(50);
  m_usbDriver.SetLightEffect(mode, effect);
  os::Clock().Sleep(kAfterLightEffectMs);
  SetProgress(80);
  if (effect == kEffectSingleColour) {
    m_usbDriver.SetLightColor(current.LightInfo.Color, mode);
    os::Clock().Sleep(kAfterLightColourMs);
  } else if (effect == kEffectPerKeyColours) {
    PushKeyColours(mode, current);
  }
  SetProgress(100);
  NotifyLoadingWindow();
  EndProgressWindow();
  return 1;
}

LRESULT CHidWnd::OnProfileSync(LPARAM flag) {
  ReloadAll();
  SetProgress(20);
  const BYTE mode = Settings().Profile;
  if (flag != 0) m_usbDriver.SendCommand0F();
  // The PC mode has no key assignments on the keyboard.
  if (mode != 0) {
    PushKeyAssignments(mode, Settings().Current);
    os::Clock().Sleep(kAfterKeyAssignmentsMs);
  }
  SetProgress(70);
  m_usbDriver.SetDeviceMode(mode);
  SetProgress(100);
  NotifyLoadingWindow();
  EndProgressWindow();
  return 1;
}

void CHidWnd::PushKeyColours(BYTE mode, const profiles::PROFILE_DATA& data) {
  const profiles::LIGHT_DATA& layout = data.LightData[0];
  for (std::size_t i = 0; i < KeyPositionTable.gKeys.size(); ++i)
    m_usbDriver.SetKeyColor(layout.GKeyColor[i], mode, GKeyMatrixCode(i));
  for (std::size_t i = 0; i < KeyPositionTable.mainKeys.size(); ++i)
    m_usbDriver.SetKeyColor(layout.KeyColor[i], mode, MainKeyMatrixCode(i));
  for (const KeyPosition& cell : KeyPositionTable.emptyCells)
    m_usbDriver.SetKeyColor(0, mode, cell.Code());
}

void CHidWnd::PushKeyAssignments(BYTE mode, const profiles::PROFILE_DATA& data) {
  device::KEY_MATRIX matrix = kDefaultKeyMatrix;
  SetProgress(20);
  auto pushMacros = [&](const auto& keys, auto matrixCodeOf) {
    for (std::size_t i = 0; i < std::size(keys); ++i) {
      if (!IsMacroFunction(keys[i].Function)) continue;
      m_usbDriver.WriteKeyMacro(mode, MacroOfKey(keys[i]), matrixCodeOf(i));
      os::Clock().Sleep(kAfterMacroMs);
    }
  };
  pushMacros(data.Keys, MainKeyMatrixCode);
  SetProgress(40);
  pushMacros(data.GKeys, GKeyMatrixCode);

  auto assign = [&](const auto& keys, auto matrixCodeOf) {
    for (std::size_t i = 0; i < std::size(keys); ++i) {
      BYTE& cell = matrix[matrixCodeOf(i)];
      cell = MatrixCellForKey(keys[i], cell);
    }
  };
  assign(data.Keys, MainKeyMatrixCode);
  SetProgress(50);
  assign(data.GKeys, GKeyMatrixCode);
  m_usbDriver.WriteKeyMatrix(mode, matrix);
  SetProgress(70);
}

}  // namespace kx::core
