# find_package(Tavric) for plug-in authors, after cmake --install.
include(CMakePackageConfigHelpers)
install(TARGETS tavric tavric_sdk EXPORT TavricTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/contract/include/tavric DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT TavricTargets NAMESPACE Tavric:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tavric)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/TavricConfig.cmake.in
  ${CMAKE_BINARY_DIR}/TavricConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tavric)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/TavricConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/TavricConfig.cmake ${CMAKE_BINARY_DIR}/TavricConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/TavricPlugin.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tavric)
