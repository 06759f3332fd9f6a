# The Windows program, its resources, and the tests that run it (under Wine on Linux).
enable_language(RC)
# Every program that links pelmora.rc (the tests too) carries its manifest: the MSVC linker must
# not make or embed another one.
if(MSVC)
  add_link_options(/MANIFEST:NO)
endif()

set(PELMORA_RESOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/resources)
set(PELMORA_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/pelmora.manifest)
configure_file(resources/pelmora.manifest.in ${PELMORA_MANIFEST} @ONLY)
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

# Flags of the product code (the text code, the core and the program) on Windows; the host
# build of the text code keeps its own. A stack protector guards every function with a local
# array or address-taken local. For size, the code is built with -Os, one section per function
# and datum so that the linker keeps only what is used, without exceptions and RTTI (nothing in
# the program throws or catches; platform/runtime_mingw.cpp ends the process where the library
# would throw) and without unwind tables. Local statics skip the thread-safe guard: the program
# has one thread.
function(pelmora_product_flags target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /GS)
  else()
    target_compile_options(${target} PRIVATE -fstack-protector-strong $<$<NOT:$<CONFIG:Debug>>:-Os>
                           -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti
                           -fno-asynchronous-unwind-tables -fno-threadsafe-statics)
  endif()
endfunction()
pelmora_product_flags(pelmora_text)
pelmora_product_flags(pelmora_core)
if(NOT MSVC)
  # Whatever links the product code links the stack protector's run-time support with it.
  target_link_options(pelmora_text INTERFACE -fstack-protector-strong)
endif()

# A program of the product: hardened with ASLR (relocations included), DEP and the stack
# protector, and linked statically so that it needs nothing but system DLLs. Release builds
# are stripped at link time; <target>.map, the link map, shows what each part of the run-time
# libraries was linked for.
function(pelmora_windows_program target)
  pelmora_product_flags(${target})
  if(MSVC)
    target_link_options(${target} PRIVATE /DYNAMICBASE /NXCOMPAT /MANIFEST:NO)
  else()
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/runtime_mingw.cpp)
    target_link_options(${target} PRIVATE -static -fstack-protector-strong
                        -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware -Wl,--gc-sections
                        $<$<NOT:$<CONFIG:Debug>>:-s>
                        -Wl,-Map=$<TARGET_FILE_DIR:${target}>/${target}.map)
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
  add_subdirectory(tests/soak)
endif()

# The benchmark programs (bench/run builds and runs them; the default build leaves them out).
option(PELMORA_BENCH "Define the benchmark programs' targets" ON)
if(PELMORA_BENCH AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/bench/CMakeLists.txt)
  add_subdirectory(bench)
endif()

# The resource compiler does not track the files the script pulls in; every folder that
# compiles the script gets the dependency.
set(resource_users ${CMAKE_CURRENT_SOURCE_DIR})
if(BUILD_TESTING)
  list(APPEND resource_users ${CMAKE_CURRENT_SOURCE_DIR}/tests/win32 ${CMAKE_CURRENT_SOURCE_DIR}/tests/e2e)
endif()
if(PELMORA_BENCH AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/bench/CMakeLists.txt)
  list(APPEND resource_users ${CMAKE_CURRENT_SOURCE_DIR}/bench)
endif()
set_source_files_properties(${PELMORA_RC} DIRECTORY ${resource_users}
  PROPERTIES OBJECT_DEPENDS "${PELMORA_RESOURCE_DIR}/pelmora.ico;${PELMORA_MANIFEST}")
