// The ways a file step can go wrong, each met at every step of a save in turn.
#pragma once

#include "platform/errors.h"
#include "platform/types.h"

namespace kx::hardening {

struct Fault {
  const char* name;
  DWORD error;  // 0: the process dies
};
inline constexpr Fault kFaults[] = {
    {"disk full", ERROR_DISK_FULL},
    {"access denied", ERROR_ACCESS_DENIED},
    {"write fault", ERROR_WRITE_FAULT},
    {"process killed", 0},
};

}  // namespace kx::hardening
