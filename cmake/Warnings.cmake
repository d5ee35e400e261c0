# Warnings are errors in our own code; third-party headers come in as system includes.
add_library(kx_warnings INTERFACE)
if(MSVC)
  target_compile_options(kx_warnings INTERFACE /W4 /WX)
else()
  target_compile_options(kx_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
    -Wimplicit-fallthrough -Wno-missing-field-initializers -Werror)
endif()
