# Host build: the program's sources against winsim, with the unit tests.
option(TAMSEL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
option(TAMSEL_TESTS "Build the unit tests" ON)
option(TAMSEL_BENCH "Build the benchmarks" OFF)
option(TAMSEL_FUZZ "Build the fuzz targets (with clang)" OFF)

if(TAMSEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(TAMSEL_FUZZ)
  # Coverage for the fuzzer in everything it runs: the program and winsim.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(TAMSEL_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
add_subdirectory(winsim)

add_library(tamsel_program STATIC ${PROGRAM_SOURCES})
tamsel_program_flags(tamsel_program)
target_link_libraries(tamsel_program PUBLIC winsim)

if(TAMSEL_TESTS)
  add_subdirectory(tests)
endif()
if(TAMSEL_BENCH)
  add_subdirectory(bench)
endif()
if(TAMSEL_FUZZ)
  add_subdirectory(tests/fuzz)
endif()

# Formatting and static analysis run as tests of the host build.
if(TAMSEL_TESTS)
  add_test(NAME lint.clang_format
           COMMAND ${PROJECT_SOURCE_DIR}/tools/lint.sh format ${PROJECT_BINARY_DIR})
  add_test(NAME lint.clang_tidy COMMAND ${PROJECT_SOURCE_DIR}/tools/lint.sh tidy ${PROJECT_BINARY_DIR})
  set_tests_properties(lint.clang_tidy PROPERTIES TIMEOUT 600)
  # The CI workflows cannot run here: they are held to the documented commands.
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_test(NAME lint.windows_workflow
           COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/check_workflow.py
                   ${PROJECT_SOURCE_DIR}/.github/workflows/windows.yml
                   ${PROJECT_SOURCE_DIR}/docs/development.md
                   "## Building and testing on Windows with MSYS2")
  add_test(NAME lint.release_workflow
           COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/check_workflow.py
                   ${PROJECT_SOURCE_DIR}/.github/workflows/release.yml
                   ${PROJECT_SOURCE_DIR}/docs/development.md "### Cutting a release")
endif()
