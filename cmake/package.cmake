# The release archive: Pelmora-<version>-win32.zip with the stripped pelmora.exe, README.md and
# LICENSE in a folder of the same name. scripts/package builds the program and runs CPack.
include_guard(GLOBAL)

install(TARGETS pelmora RUNTIME DESTINATION . COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION . COMPONENT program)

# Installing (and so packaging) builds nothing but what it installs: scripts/package builds the
# program alone, without the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PELMORA_PACKAGE_ARCH win64)
else()
  set(PELMORA_PACKAGE_ARCH win32)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Pelmora)
set(CPACK_PACKAGE_VENDOR Tovrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME "Pelmora-${PROJECT_VERSION}-${PELMORA_PACKAGE_ARCH}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL program)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# Only the ZIP generator: no source package.
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
