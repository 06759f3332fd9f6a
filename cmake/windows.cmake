# The Windows program, its resources, and the tests that run it (under Wine on Linux).
enable_language(RC)

set(PELMORA_RESOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/resources)
configure_file(resources/pelmora.rc.in ${CMAKE_CURRENT_BINARY_DIR}/pelmora.rc @ONLY)
set(PELMORA_RC ${CMAKE_CURRENT_BINARY_DIR}/pelmora.rc)

add_library(pelmora_core STATIC
  app/lifecycle.cpp
  app/state.cpp
  window/bindings.cpp
  window/main_window.cpp
  input/hotkey_service.cpp
  input/tracking.cpp
  readouts/commands.cpp
  platform/clipboard.cpp
  platform/screen.cpp
  platform/windowing.cpp)
target_include_directories(pelmora_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(pelmora_core PUBLIC UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
target_link_libraries(pelmora_core PUBLIC pelmora_text user32 gdi32)
pelmora_warnings(pelmora_core)

# Hardening: ASLR, DEP and a stack protector; MinGW builds link everything statically so the
# program needs nothing but system DLLs.
function(pelmora_windows_program target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /GS)
    target_link_options(${target} PRIVATE /DYNAMICBASE /NXCOMPAT /MANIFEST:NO)
  else()
    target_compile_options(${target} PRIVATE -fstack-protector-strong)
    target_link_options(${target} PRIVATE -static -fstack-protector-strong
                        -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware)
  endif()
endfunction()

add_executable(pelmora WIN32 app/main.cpp ${PELMORA_RC})
target_link_libraries(pelmora PRIVATE pelmora_core)
pelmora_warnings(pelmora)
pelmora_windows_program(pelmora)

include(cmake/package.cmake OPTIONAL)

if(BUILD_TESTING)
  add_subdirectory(tests/win32)
  add_subdirectory(tests/e2e)
endif()
