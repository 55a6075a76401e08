# Installs the embeddable library (target polylsq_shared) with its headers, a CMake package
# (find_package(polylsq 1.1 CONFIG REQUIRED) -> polylsq::polylsq) and a pkg-config file.
# Both find the installed tree wherever it is moved: the CMake files and the .pc file name
# the prefix relative to themselves.
include(CMakePackageConfigHelpers)

set(POLYLSQ_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/polylsq)
install(TARGETS polylsq_shared EXPORT polylsqTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/polylsq/polylsq.h
              ${PROJECT_SOURCE_DIR}/include/polylsq/polylsq.hpp
              ${PROJECT_SOURCE_DIR}/include/polylsq/expected.hpp
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/polylsq)
install(EXPORT polylsqTargets NAMESPACE polylsq:: DESTINATION ${POLYLSQ_PACKAGE_DIR})

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/polylsqConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/polylsqConfig.cmake
                              INSTALL_DESTINATION ${POLYLSQ_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/polylsqConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/polylsqConfig.cmake
              ${PROJECT_BINARY_DIR}/polylsqConfigVersion.cmake
        DESTINATION ${POLYLSQ_PACKAGE_DIR})

# The prefix seen from lib/pkgconfig (or whatever the library folder is): "../..".
file(RELATIVE_PATH POLYLSQ_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/polylsq.pc.in ${PROJECT_BINARY_DIR}/polylsq.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/polylsq.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
