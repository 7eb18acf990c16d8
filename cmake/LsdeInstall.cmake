# Installs the libraries, their headers and a CMake package, so that another project can write
#   find_package(lsde CONFIG REQUIRED)
#   target_link_libraries(app PRIVATE lsde::lsde)
include(CMakePackageConfigHelpers)

set(LSDE_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/lsde)
set(_lsde_parts io list matrix sparse dynamics input models loads modal quadrature)

# The umbrella target: every subsystem, and the <lsde/lsde.hpp> header.
add_library(lsde INTERFACE)
add_library(lsde::lsde ALIAS lsde)
target_include_directories(lsde INTERFACE
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
set_target_properties(lsde_flags PROPERTIES EXPORT_NAME flags)
foreach(part IN LISTS _lsde_parts)
  target_link_libraries(lsde INTERFACE lsde_${part})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${part}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/lsde/${part}
          FILES_MATCHING PATTERN "*.hpp")
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/include/lsde/lsde.hpp DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/lsde)

list(TRANSFORM _lsde_parts PREPEND lsde_ OUTPUT_VARIABLE _lsde_targets)
install(TARGETS lsde lsde_flags ${_lsde_targets} lsde-cli
  EXPORT lsdeTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT lsdeTargets NAMESPACE lsde:: DESTINATION ${LSDE_INSTALL_CMAKEDIR})

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/lsdeConfig.cmake.in
  ${PROJECT_BINARY_DIR}/lsdeConfig.cmake INSTALL_DESTINATION ${LSDE_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/lsdeConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/lsdeConfig.cmake ${PROJECT_BINARY_DIR}/lsdeConfigVersion.cmake
  DESTINATION ${LSDE_INSTALL_CMAKEDIR})
