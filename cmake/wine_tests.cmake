# The tests of the Windows build that run under Wine: the import check, the
# system contract cases and the end-to-end scenarios, with the benchmark's
# programs (run on demand by ./bench.sh).
find_program(TAMSEL_OBJDUMP NAMES x86_64-w64-mingw32-objdump REQUIRED)

# Every cross-built program that a test runs goes through Wine, in the
# environment that the wine.setup test leaves in this state file.
set(TAMSEL_WINE_STATE ${PROJECT_BINARY_DIR}/wine/state.env)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/e2e/wine-run ${TAMSEL_WINE_STATE})

add_test(NAME exe.imports COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/e2e/check_exe.py
                                  imports ${TAMSEL_OBJDUMP} $<TARGET_FILE:tamsel>)

# --- The Wine environment: a private Xvfb display and Wine prefix, shared by
# every Wine test. The tests take turns at the one desktop: global hotkeys, the
# clipboard and the tray are shared by all its programs.
add_test(NAME wine.setup COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/e2e/wine_env.py setup
                                 ${PROJECT_BINARY_DIR})
add_test(NAME wine.cleanup COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/e2e/wine_env.py
                                   cleanup ${PROJECT_BINARY_DIR})
set_tests_properties(wine.setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 400
                                           RESOURCE_LOCK wine_desktop)
set_tests_properties(wine.cleanup PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 120
                                             RESOURCE_LOCK wine_desktop)

function(tamsel_wine_tests)
  set_tests_properties(${ARGN} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine_desktop)
endfunction()

# --- System contract cases against the real API, here under Wine.
if(TAMSEL_CONTRACT_TESTS)
  include(cmake/contract_tests.cmake)
endif()

# --- End-to-end: small Windows helper programs, one per file, and the
# scenarios that drive the real tamsel.exe, one CTest test per file.
set(TAMSEL_HELPERS_DIR ${PROJECT_BINARY_DIR}/e2e-helpers)
file(GLOB E2E_HELPER_SOURCES CONFIGURE_DEPENDS e2e/helpers/*.cpp)
foreach(source ${E2E_HELPER_SOURCES})
  get_filename_component(helper ${source} NAME_WE)
  add_executable(e2e_${helper} ${source})
  set_target_properties(e2e_${helper} PROPERTIES OUTPUT_NAME ${helper}
                                                 RUNTIME_OUTPUT_DIRECTORY ${TAMSEL_HELPERS_DIR})
  tamsel_program_flags(e2e_${helper})
  target_link_options(e2e_${helper} PRIVATE ${TAMSEL_STATIC_LINK})
  target_link_libraries(e2e_${helper} PRIVATE user32 shell32 advapi32 gdi32 kernel32)
endforeach()

file(GLOB E2E_SCENARIOS CONFIGURE_DEPENDS e2e/scenarios/test_*.py)
foreach(scenario ${E2E_SCENARIOS})
  get_filename_component(name ${scenario} NAME_WE)
  string(REGEX REPLACE "^test_" "" name ${name})
  add_test(NAME e2e.${name} COMMAND ${Python3_EXECUTABLE} ${scenario})
  tamsel_wine_tests(e2e.${name})
  set_tests_properties(
    e2e.${name}
    PROPERTIES TIMEOUT 120
               ENVIRONMENT
               "PYTHONDONTWRITEBYTECODE=1;TAMSEL_EXE=$<TARGET_FILE:tamsel>;TAMSEL_HELPERS=${TAMSEL_HELPERS_DIR};TAMSEL_WINE_STATE=${TAMSEL_WINE_STATE};TAMSEL_ARTIFACTS=${PROJECT_BINARY_DIR}/e2e-artifacts/${name}"
  )
endforeach()

# --- The benchmark under Wine, built here and run on demand (./bench.sh).
add_subdirectory(bench/wine)
