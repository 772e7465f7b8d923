# find_package(Tavric) for plug-in authors, after cmake --install.
include(CMakePackageConfigHelpers)
# libtavric itself runs the programs (the tavric package); its link name, the
# headers and the CMake package are the SDK (tavric-dev).
install(TARGETS tavric tavric_sdk EXPORT TavricTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/contract/include/tavric DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  COMPONENT dev)
install(EXPORT TavricTargets NAMESPACE Tavric:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tavric COMPONENT dev)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/TavricConfig.cmake.in
  ${CMAKE_BINARY_DIR}/TavricConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tavric)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/TavricConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/TavricConfig.cmake ${CMAKE_BINARY_DIR}/TavricConfigVersion.cmake
  ${PROJECT_SOURCE_DIR}/cmake/TavricPlugin.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Tavric COMPONENT dev)
# The example plug-in of docs/plugins.md, to copy and build against the SDK.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/example-plugin/ DESTINATION ${TAVRIC_INSTALL_DATADIR}/example-plugin
  COMPONENT dev)

# The Debian packages (cpack --preset package, over the default build, which
# installs under /usr): tavric with the programs, plug-ins, data, manual pages and
# desktop files; tavric-dev with the SDK. Library dependencies are read from
# the binaries by dpkg-shlibdeps (Debian's dpkg-dev).
set(CPACK_PACKAGE_NAME tavric)
set(CPACK_PACKAGE_VENDOR "Norvale Devices")
set(CPACK_PACKAGE_CONTACT "Norvale Devices <tavric@norvale.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL runtime dev)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libtavric is the package's own: its dependencies are read from the staged tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_INSTALL_FULL_LIBDIR})
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME tavric)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION electronics)
# The toolbar images are SVG, drawn by a Qt plug-in that no binary links.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "pcscd")
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "test bench for smart-card readers
Tavric runs scripts of raw frames, reader commands or APDUs against a
smart-card reader and shows every frame and answer in a decoded trace:
tavric, the desktop program, and tavric-run, its headless twin, with the
simulated reader, PC/SC and serial board plug-ins and the protocol plug-ins.")
set(CPACK_DEBIAN_DEV_PACKAGE_NAME tavric-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_DEV_PACKAGE_RECOMMENDS "cmake, g++")
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_DEBIAN_DEV_DESCRIPTION "plug-in SDK of Tavric, the smart-card reader test bench
The headers, the link library and the CMake package (find_package(Tavric))
to build board and protocol plug-ins for Tavric, with an example plug-in.")
include(CPack)
