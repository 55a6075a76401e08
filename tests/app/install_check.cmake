# Installs the build in BUILD_DIR under a fresh prefix and checks what lands there: the
# program in bin/ (it runs and shows VERSION) and the manual page in share/man/man1/
# (groff formats it without a warning, where groff is installed).
# Usage: cmake -DBUILD_DIR=... -DPREFIX=... -DVERSION=... -P install_check.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(installed bin/polylsq share/man/man1/polylsq.1)
  if(NOT EXISTS "${PREFIX}/${installed}")
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()
execute_process(COMMAND "${PREFIX}/bin/polylsq" --version OUTPUT_VARIABLE shown RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT shown STREQUAL "polylsq ${VERSION}\n")
  message(FATAL_ERROR "the installed program shows \"${shown}\" (status ${status})")
endif()
find_program(GROFF groff)
if(GROFF)
  execute_process(COMMAND "${GROFF}" -man -ww -z "${PREFIX}/share/man/man1/polylsq.1"
                  ERROR_VARIABLE warnings RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
    message(FATAL_ERROR "the manual page does not format cleanly: ${warnings}")
  endif()
endif()
file(REMOVE_RECURSE "${PREFIX}")
