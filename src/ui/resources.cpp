#include "ui/resources.h"

#include <array>

#include "platform/messages.h"

namespace kx::ui {

namespace {

constexpr std::array<DialogTemplate, 1> kTemplates{{
    {IDD_PROGRESS, WS_POPUP | WS_SYSMENU | DS_SETFONT | DS_FIXEDSYS, 0, POINT{0, 0}, SIZE{316, 183},
     u"", u"MS Shell Dlg", 8},
}};

}  // namespace

const DialogTemplate* FindDialogTemplate(UINT id) {
  for (const DialogTemplate& t : kTemplates) {
    if (t.id == id) return &t;
  }
  return nullptr;
}

}  // namespace kx::ui
