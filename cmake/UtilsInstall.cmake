# cmake --install: both libraries (versioned, with soname), the header, a
# CMake package (find_package(utils): utils::utils, utils::utilsmmx) and
# pkg-config files (utils.pc, utilsmmx.pc).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS utils utilsmmx EXPORT utilsTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${CMAKE_SOURCE_DIR}/include/utils.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(_cfgdir ${CMAKE_INSTALL_LIBDIR}/cmake/utils)
install(EXPORT utilsTargets NAMESPACE utils:: DESTINATION ${_cfgdir})
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/utilsConfig.cmake.in
  ${CMAKE_BINARY_DIR}/utilsConfig.cmake INSTALL_DESTINATION ${_cfgdir})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/utilsConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/utilsConfig.cmake ${CMAKE_BINARY_DIR}/utilsConfigVersion.cmake
  DESTINATION ${_cfgdir})

file(RELATIVE_PATH PC_UP /p/${CMAKE_INSTALL_LIBDIR}/pkgconfig /p)
foreach(PC_NAME utils utilsmmx)
  if(PC_NAME STREQUAL "utils")
    set(PC_DESCRIPTION "Software 2D imaging on caller-owned surfaces (plain build)")
  else()
    set(PC_DESCRIPTION "Software 2D imaging on caller-owned surfaces (SIMD build)")
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/cmake/utils.pc.in ${CMAKE_BINARY_DIR}/${PC_NAME}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/${PC_NAME}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
