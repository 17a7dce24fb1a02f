# Windows build: tamsel.exe with its resources and the checks that need
# nothing but Python; the system contract cases wherever GoogleTest's sources
# are (cmake/contract_tests.cmake). Cross-compiled, it also builds and runs the
# tests under Wine (cmake/wine_tests.cmake); a native build leaves those out
# by default and runs the contract cases directly.
if(CMAKE_CROSSCOMPILING)
  set(TAMSEL_WINE_TESTS_DEFAULT ON)
else()
  set(TAMSEL_WINE_TESTS_DEFAULT OFF)
endif()
option(TAMSEL_WINE_TESTS
       "End-to-end scenarios under Wine, and the contract cases run there (needs Wine, Xvfb, the cross binutils)"
       ${TAMSEL_WINE_TESTS_DEFAULT})

set(TAMSEL_GOOGLETEST_DIR /usr/src/googletest
    CACHE PATH "GoogleTest's sources, built for the system contract cases")
if(EXISTS ${TAMSEL_GOOGLETEST_DIR}/CMakeLists.txt)
  set(TAMSEL_CONTRACT_TESTS_DEFAULT ON)
else()
  set(TAMSEL_CONTRACT_TESTS_DEFAULT OFF)
endif()
option(TAMSEL_CONTRACT_TESTS
       "contract_tests.exe: the system contract cases against the real API (needs GoogleTest's sources)"
       ${TAMSEL_CONTRACT_TESTS_DEFAULT})

# Python draws the icons.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# Runtime libraries linked in, so that only system DLLs are imported.
set(TAMSEL_STATIC_LINK -static)

# --- Resources: icons drawn as text pixel maps, and the version record.
set(TAMSEL_RES_DIR ${PROJECT_BINARY_DIR}/res)
set(TAMSEL_ICONS)
foreach(icon mainicon mainicon2)
  set(ico ${TAMSEL_RES_DIR}/${icon}.ico)
  add_custom_command(
    OUTPUT ${ico}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TAMSEL_RES_DIR}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/res/make_ico.py
            ${PROJECT_SOURCE_DIR}/res/${icon}.txt ${ico}
    DEPENDS ${PROJECT_SOURCE_DIR}/res/make_ico.py ${PROJECT_SOURCE_DIR}/res/${icon}.txt
    COMMENT "Drawing ${icon}.ico")
  list(APPEND TAMSEL_ICONS ${ico})
  add_test(NAME res.${icon}
           COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/res/make_ico.py --check
                   ${PROJECT_SOURCE_DIR}/res/${icon}.txt ${ico})
endforeach()
set_source_files_properties(res/tamsel.rc PROPERTIES OBJECT_DEPENDS "${TAMSEL_ICONS}")
# Apart from the program's objects: the resource compiler takes none of their
# compiler options.
add_library(tamsel_resources OBJECT res/tamsel.rc)
target_include_directories(tamsel_resources PRIVATE ${TAMSEL_RES_DIR})

# --- tamsel.exe: GUI subsystem, as small as it gets, stripped.
add_executable(tamsel WIN32 ${PROGRAM_SOURCES} $<TARGET_OBJECTS:tamsel_resources>)
tamsel_program_flags(tamsel)
target_compile_options(tamsel PRIVATE -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
                                      -ffunction-sections -fdata-sections)
target_link_options(tamsel PRIVATE ${TAMSEL_STATIC_LINK} -s -Wl,--gc-sections)
# The same sources give the same bytes, wherever and whenever they are built:
# the PE time stamp is 0 rather than the link's time (the PE checksum, which
# the linker computes over the file, then follows from the code alone), and
# no source path can reach the exe through __FILE__.
target_link_options(tamsel PRIVATE -Wl,--no-insert-timestamp)
target_compile_options(tamsel PRIVATE -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=)
# Not comctl32: the settings page loads it when first opened (see exe.imports).
target_link_libraries(tamsel PRIVATE user32 shell32 advapi32 gdi32 kernel32)

set(TAMSEL_SIZE_BUDGET 33792)
add_test(NAME exe.size COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/e2e/check_exe.py size
                               $<TARGET_FILE:tamsel> ${TAMSEL_SIZE_BUDGET})
add_test(NAME exe.paths COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/e2e/check_exe.py paths
                                $<TARGET_FILE:tamsel> ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
# What ./release.sh makes of this exe: the zip and its sums.
add_test(NAME release.zip COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/release_test.py
                                  $<TARGET_FILE:tamsel> ${PROJECT_SOURCE_DIR}/docs/guide.txt
                                  ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/res/tamsel.rc)

if(TAMSEL_WINE_TESTS)
  include(cmake/wine_tests.cmake)
elseif(TAMSEL_CONTRACT_TESTS)
  include(cmake/contract_tests.cmake)
endif()
