# Installs the public header, the shared library, a CMake package giving the
# imported target zelkor::zelkor, and a pkg-config file.
include(CMakePackageConfigHelpers)

install(TARGETS zelkor EXPORT zelkorTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(EXPORT zelkorTargets NAMESPACE zelkor::
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/zelkor)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/zelkorConfig.cmake.in
  ${PROJECT_BINARY_DIR}/zelkorConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/zelkor)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/zelkorConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/zelkorConfig.cmake
  ${PROJECT_BINARY_DIR}/zelkorConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/zelkor)

# The pkg-config file finds its prefix relative to itself, so an installed tree
# can be moved.
file(RELATIVE_PATH ZELKOR_PC_TO_PREFIX
  /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/zelkor.pc.in
  ${PROJECT_BINARY_DIR}/zelkor.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/zelkor.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
