# Programs that run at build time (make-skins) built for the build machine when the project is
# cross-compiled: a native build of this project, configured without tests or benchmarks. A
# make-skins that a native build made already can be named instead (KX_HOST_MAKE_SKINS).
set(KX_HOST_MAKE_SKINS "" CACHE FILEPATH "make-skins built for this machine; empty: build one")
if(KX_HOST_MAKE_SKINS AND EXISTS ${KX_HOST_MAKE_SKINS})
  add_custom_target(kx_host_tools)
  return()
endif()
include(ExternalProject)
set(KX_HOST_TOOLS_DIR ${PROJECT_BINARY_DIR}/host-tools)
set(KX_HOST_MAKE_SKINS ${KX_HOST_TOOLS_DIR}/tools/make-skins/make-skins)
ExternalProject_Add(kx_host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${KX_HOST_TOOLS_DIR}
  CMAKE_ARGS -DKX_PLATFORM=sim -DKX_BUILD_TESTS=OFF -DKX_BUILD_BENCH=OFF
             -DCMAKE_BUILD_TYPE=RelWithDebInfo
  CMAKE_CACHE_ARGS -DCMAKE_TOOLCHAIN_FILE:FILEPATH=
  BUILD_COMMAND ${CMAKE_COMMAND} --build . --target make-skins
  BUILD_BYPRODUCTS ${KX_HOST_MAKE_SKINS}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  USES_TERMINAL_BUILD ON)
