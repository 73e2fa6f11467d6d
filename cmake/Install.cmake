# Install rules, the CMake package (find_package(Tamarind) gives Tamarind::tamarind and
# Tamarind::Platform) and the pkg-config file.
include(CMakePackageConfigHelpers)

install(TARGETS tamarind Platform EXPORT TamarindTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/vg/include/VG ${PROJECT_SOURCE_DIR}/vg/include/EGL
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/platform/include/platform.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(EXPORT TamarindTargets NAMESPACE Tamarind:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tamarind)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/TamarindConfig.cmake.in
  ${PROJECT_BINARY_DIR}/TamarindConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tamarind)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TamarindConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TamarindConfig.cmake ${PROJECT_BINARY_DIR}/TamarindConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tamarind)

# The .pc file finds its prefix relative to itself, so an installed tree can be moved.
file(RELATIVE_PATH PC_TO_PREFIX "${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig" "${CMAKE_INSTALL_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/tamarind.pc.in ${PROJECT_BINARY_DIR}/tamarind.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tamarind.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
