# Host build: the program's sources against winsim, with the unit tests.
option(TAMSEL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
option(TAMSEL_TESTS "Build the unit tests" ON)
option(TAMSEL_BENCH "Build the benchmarks" OFF)

if(TAMSEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
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
