// The agent's dialog templates.
#pragma once

#include "platform/dialog.h"
#include "platform/types.h"

namespace kx::ui {

// The progress window: a captionless pop-up of 316 x 183 dialog units in "MS Shell Dlg" 8.
inline constexpr UINT IDD_PROGRESS = 129;

// The template with that id, or null.
const DialogTemplate* FindDialogTemplate(UINT id);

}  // namespace kx::ui
