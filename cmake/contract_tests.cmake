# The system contract cases against the real API: the same case files as the
# host build runs against winsim, one CTest test per case, labelled
# "contract". Built wherever GoogleTest's sources are; a native build runs
# them directly, a cross build under Wine (cmake/wine_tests.cmake makes Wine
# the emulator) or not at all without the Wine tests.
if(NOT EXISTS ${TAMSEL_GOOGLETEST_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "The contract cases need GoogleTest's sources in TAMSEL_GOOGLETEST_DIR "
                      "(now ${TAMSEL_GOOGLETEST_DIR}), or TAMSEL_CONTRACT_TESTS=OFF")
endif()
add_subdirectory(${TAMSEL_GOOGLETEST_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)
file(GLOB CONTRACT_TEST_SOURCES CONFIGURE_DEPENDS tests/contract/*_test.cpp)
add_executable(contract_tests ${CONTRACT_TEST_SOURCES} tests/contract/contract_windows.cpp)
tamsel_program_flags(contract_tests)
target_link_options(contract_tests PRIVATE ${TAMSEL_STATIC_LINK})
target_link_libraries(contract_tests PRIVATE gtest user32 shell32 advapi32 gdi32 kernel32)

# A case skips, saying what it assumes, on a system whose locale it was not
# written for; in the test command's Russian Wine prefix none may skip.
set(CONTRACT_SKIPPED "\\[  SKIPPED \\]")
if(NOT CMAKE_CROSSCOMPILING)
  gtest_add_tests(TARGET contract_tests SOURCES ${CONTRACT_TEST_SOURCES} TEST_PREFIX "contract."
                  TEST_LIST CONTRACT_TESTS)
  set_tests_properties(${CONTRACT_TESTS} PROPERTIES SKIP_REGULAR_EXPRESSION "${CONTRACT_SKIPPED}")
elseif(TAMSEL_WINE_TESTS)
  gtest_add_tests(TARGET contract_tests SOURCES ${CONTRACT_TEST_SOURCES} TEST_PREFIX "wine."
                  TEST_LIST CONTRACT_TESTS)
  tamsel_wine_tests(${CONTRACT_TESTS})
  set_tests_properties(${CONTRACT_TESTS} PROPERTIES FAIL_REGULAR_EXPRESSION "${CONTRACT_SKIPPED}")
endif()
if(CONTRACT_TESTS)
  set_tests_properties(${CONTRACT_TESTS} PROPERTIES TIMEOUT 60 LABELS contract)
endif()
