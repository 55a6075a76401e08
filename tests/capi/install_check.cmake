# Installs the build in BUILD_DIR under a fresh prefix and checks the library's part of it:
# libpolylsq.so.VERSION with its SONAME libpolylsq.so.1 and both links, exporting only
# polylsq_* functions; the three headers; the CMake package and the pkg-config file.
# Usage: cmake -DBUILD_DIR=... -DPREFIX=... -DVERSION=... -DNM=... -DREADELF=... -P install_check.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
string(REGEX MATCH "^[0-9]+" major "${VERSION}")
foreach(installed lib*/libpolylsq.so.${VERSION} lib*/libpolylsq.so.${major} lib*/libpolylsq.so
        include/polylsq/polylsq.h include/polylsq/polylsq.hpp include/polylsq/expected.hpp
        lib*/cmake/polylsq/polylsqConfig.cmake lib*/cmake/polylsq/polylsqConfigVersion.cmake
        lib*/cmake/polylsq/polylsqTargets.cmake lib*/pkgconfig/polylsq.pc)
  file(GLOB found "${PREFIX}/${installed}")
  if(NOT found)
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()
file(GLOB library "${PREFIX}/lib*/libpolylsq.so.${VERSION}")

execute_process(COMMAND "${READELF}" -d "${library}" OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT dynamic MATCHES "Library soname: \\[libpolylsq\\.so\\.${major}\\]")
  message(FATAL_ERROR "the SONAME is not libpolylsq.so.${major}:\n${dynamic}")
endif()

execute_process(COMMAND "${NM}" -D --defined-only "${library}" OUTPUT_VARIABLE symbols
                RESULT_VARIABLE status)
string(REGEX REPLACE "\n$" "" symbols "${symbols}")
string(REPLACE "\n" ";" symbols "${symbols}")
set(functions 0)
foreach(line IN LISTS symbols)
  if(line MATCHES " T polylsq_[a-z0-9_]+$")
    math(EXPR functions "${functions} + 1")
  else()
    message(FATAL_ERROR "exported beyond the C interface: ${line}")
  endif()
endforeach()
if(functions LESS 30)
  message(FATAL_ERROR "only ${functions} functions exported")
endif()
file(REMOVE_RECURSE "${PREFIX}")
