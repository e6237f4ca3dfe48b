# The installable package: find_package(Agendor 3.0 CONFIG REQUIRED) gives
# the targets agendor::<component>, a pkg-config file per library gives the
# same to hosts without CMake.
#
# agendor_package_library(<target>
#     COMPONENT <name>             exported as agendor::<name>
#     HEADERS <file>...            public headers, relative to the source root;
#                                  installed under include/agendor/ in the same
#                                  folders, so their own includes resolve
#     [REQUIRES <component>...]    other components this one links
#     [DEPENDENCIES "<find_dependency arguments>"...]
#     [PKG_CONFIG_REQUIRES <module>...])
#
# Adding a library to the package is one call after its add_library; the
# package configuration file picks it up from there. Call
# agendor_install_package() once, after every library.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
include(GenerateExportHeader)

set(AGENDOR_GENERATED_INCLUDE_DIR ${PROJECT_BINARY_DIR}/generated/include)
set(AGENDOR_CMAKE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Agendor)

function(agendor_package_library target)
  cmake_parse_arguments(ARG "" "COMPONENT" "HEADERS;REQUIRES;DEPENDENCIES;PKG_CONFIG_REQUIRES" ${ARGN})
  set(component ${ARG_COMPONENT})
  string(TOUPPER ${component} upper)

  # Only what is marked AGENDOR_<COMPONENT>_EXPORT leaves a shared library;
  # in a static one the hidden symbols keep a host's plugin that links it
  # from exporting our code again.
  set_target_properties(${target} PROPERTIES
    EXPORT_NAME ${component}
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    POSITION_INDEPENDENT_CODE ON
    VERSION ${PROJECT_VERSION}.0
    SOVERSION ${PROJECT_VERSION_MAJOR})
  # The libraries of the package lie side by side.
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")

  generate_export_header(${target}
    BASE_NAME AGENDOR_${upper}
    EXPORT_FILE_NAME ${AGENDOR_GENERATED_INCLUDE_DIR}/agendor/${component}_export.h)
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${AGENDOR_GENERATED_INCLUDE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

  install(TARGETS ${target} EXPORT Agendor-${component}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${AGENDOR_GENERATED_INCLUDE_DIR}/agendor/${component}_export.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/agendor)
  foreach(header IN LISTS ARG_HEADERS)
    get_filename_component(folder ${header} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/agendor/${folder})
  endforeach()
  install(EXPORT Agendor-${component}
    NAMESPACE agendor::
    FILE Agendor-${component}-targets.cmake
    DESTINATION ${AGENDOR_CMAKE_INSTALL_DIR})

  # pkg-config: the component's library after those it needs.
  set(pc_requires)
  foreach(required IN LISTS ARG_REQUIRES)
    list(APPEND pc_requires agendor-${required})
  endforeach()
  list(APPEND pc_requires ${ARG_PKG_CONFIG_REQUIRES})
  list(JOIN pc_requires " " AGENDOR_PC_REQUIRES)
  set(AGENDOR_PC_NAME agendor-${component})
  set(AGENDOR_PC_LIBRARY ${target})
  # Relative, so the file stays right wherever the tree is installed.
  file(RELATIVE_PATH AGENDOR_PC_PREFIX_FROM_PCFILEDIR /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/agendor.pc.in
    ${PROJECT_BINARY_DIR}/pkgconfig/agendor-${component}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/agendor-${component}.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

  # What the package configuration needs to know of the component.
  set_property(GLOBAL APPEND PROPERTY AGENDOR_PACKAGE_COMPONENTS ${component})
  set_property(GLOBAL PROPERTY AGENDOR_PACKAGE_${component}_REQUIRES ${ARG_REQUIRES})
  set_property(GLOBAL PROPERTY AGENDOR_PACKAGE_${component}_DEPENDENCIES ${ARG_DEPENDENCIES})
endfunction()

function(agendor_install_package)
  get_property(components GLOBAL PROPERTY AGENDOR_PACKAGE_COMPONENTS)
  set(lines "# The components of this installation, in the order they build on each other.\n")
  string(APPEND lines "set(_agendor_components ${components})\n")
  foreach(component IN LISTS components)
    get_property(requires GLOBAL PROPERTY AGENDOR_PACKAGE_${component}_REQUIRES)
    get_property(dependencies GLOBAL PROPERTY AGENDOR_PACKAGE_${component}_DEPENDENCIES)
    string(APPEND lines "set(_agendor_${component}_requires ${requires})\n")
    set(quoted)
    foreach(dependency IN LISTS dependencies)
      string(APPEND quoted " \"${dependency}\"")
    endforeach()
    string(APPEND lines "set(_agendor_${component}_dependencies${quoted})\n")
  endforeach()
  file(WRITE ${PROJECT_BINARY_DIR}/package/AgendorComponents.cmake "${lines}")

  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/AgendorConfig.cmake.in
    ${PROJECT_BINARY_DIR}/package/AgendorConfig.cmake
    INSTALL_DESTINATION ${AGENDOR_CMAKE_INSTALL_DIR})
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/AgendorConfigVersion.cmake
    VERSION ${PROJECT_VERSION}
    COMPATIBILITY SameMajorVersion)
  install(FILES
    ${PROJECT_BINARY_DIR}/package/AgendorConfig.cmake
    ${PROJECT_BINARY_DIR}/package/AgendorConfigVersion.cmake
    ${PROJECT_BINARY_DIR}/package/AgendorComponents.cmake
    DESTINATION ${AGENDOR_CMAKE_INSTALL_DIR})
endfunction()
