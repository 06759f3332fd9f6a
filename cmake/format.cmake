# format.check: every C++ source is formatted as .clang-format says (scripts/check-format).
# Fix a failure with `scripts/check-format --fix`.
find_program(PELMORA_CLANG_FORMAT NAMES clang-format-14 clang-format)
if(PELMORA_CLANG_FORMAT)
  add_test(NAME format.check COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/check-format
           WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(format.check PROPERTIES
    ENVIRONMENT "CLANG_FORMAT=${PELMORA_CLANG_FORMAT}"
    TIMEOUT 120)
else()
  message(STATUS "clang-format not found: no format.check test")
endif()

# tidy.check: the program's sources pass .clang-tidy (scripts/tidy; it reads the compile
# databases of both builds under this build's parent folder, as scripts/build lays them out).
find_program(PELMORA_CLANG_TIDY NAMES clang-tidy-14 clang-tidy)
if(PELMORA_CLANG_TIDY)
  get_filename_component(pelmora_build_root ${CMAKE_BINARY_DIR} DIRECTORY)
  add_test(NAME tidy.check COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/tidy
           WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(tidy.check PROPERTIES
    ENVIRONMENT "PELMORA_BUILD_ROOT=${pelmora_build_root}"
    TIMEOUT 300)
endif()
