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
