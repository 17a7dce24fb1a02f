# Settings shared by both builds.

# UI texts are written in UTF-8 in the sources and stored as Windows-1251 bytes.
set(TAMSEL_TEXT_FLAGS -finput-charset=UTF-8 -fexec-charset=CP1251)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # clang stores texts as UTF-8 only; the fuzz build, the one clang makes,
  # does not look at them.
  set(TAMSEL_TEXT_FLAGS)
endif()

function(tamsel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# A target built from the program's sources or tests of it.
function(tamsel_program_flags target)
  tamsel_warnings(${target})
  target_compile_options(${target} PRIVATE ${TAMSEL_TEXT_FLAGS})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()
