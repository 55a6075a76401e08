# Header-only libraries of the build machine for a cross-build: each library's own folder
# of /usr/include is linked into one staging folder, and only that folder reaches the
# cross-compiler (the build machine's C library headers must not). The targets carry the
# names that find_package gives them in a native build.
set(POLYLSQ_HOST_INCLUDE /usr/include CACHE PATH "Where the header-only libraries are installed")
set(POLYLSQ_STAGED_INCLUDE ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${POLYLSQ_STAGED_INCLUDE})

# polylsq_host_headers(<target> <folder under /usr/include>...)
function(polylsq_host_headers target)
  foreach(folder IN LISTS ARGN)
    get_filename_component(name ${folder} NAME)
    set(source ${POLYLSQ_HOST_INCLUDE}/${folder})
    if(NOT IS_DIRECTORY ${source})
      message(FATAL_ERROR "${source} is missing: install its Debian package (scripts/deps.sh build)")
    endif()
    if(NOT EXISTS ${POLYLSQ_STAGED_INCLUDE}/${name})
      file(CREATE_LINK ${source} ${POLYLSQ_STAGED_INCLUDE}/${name} SYMBOLIC)
    endif()
  endforeach()
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${POLYLSQ_STAGED_INCLUDE}
                                             INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${POLYLSQ_STAGED_INCLUDE})
endfunction()

polylsq_host_headers(CLI11::CLI11 CLI)
polylsq_host_headers(nlohmann_json::nlohmann_json nlohmann)
polylsq_host_headers(Boost::headers boost)
polylsq_host_headers(FastFloat::fast_float fast_float)
