# The installed tree and its ZIP, one per architecture:
#   bin/                the DLL with its .debug file, zynctl.exe and zyn_reference_service.exe, all stripped
#   lib/                the MinGW and Visual C++ import libraries and the .def
#   include/            trvzyn32.h
#   lib/cmake/TRVZYN32/ the CMake package
#   README.md           the archive's README, where the unpacked folder opens
#   share/doc/TRVZYN32/ the same README, the API reference and the example project
include(CMakePackageConfigHelpers)

set(ZYN_BIN_DIR bin)
set(ZYN_LIB_DIR lib)
set(ZYN_INCLUDE_DIR include)
set(zyn_package_dir lib/cmake/TRVZYN32)
set(zyn_doc_dir share/doc/TRVZYN32)

if(ZYN_LIBRARY STREQUAL "TRVZYN64")
  set(zyn_bits 64)
  set(zyn_mingw_triple x86_64-w64-mingw32)
else()
  set(zyn_bits 32)
  set(zyn_mingw_triple i686-w64-mingw32)
endif()
set(zyn_architecture win${zyn_bits})

configure_package_config_file(cmake/TRVZYN32Config.cmake.in ${PROJECT_BINARY_DIR}/TRVZYN32Config.cmake
  INSTALL_DESTINATION ${zyn_package_dir}
  PATH_VARS ZYN_BIN_DIR ZYN_LIB_DIR ZYN_INCLUDE_DIR)
# The helper's version file also compares pointer sizes, which keeps a 64-bit build from taking
# the 32-bit package and the other way round.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TRVZYN32VersionRules.cmake
  COMPATIBILITY SameMajorVersion)
# The version file proper is those rules plus one: a build that does not target Windows passes
# the pointer-size check, so that the config file can tell it which compiler to use.
file(READ ${PROJECT_BINARY_DIR}/TRVZYN32VersionRules.cmake zyn_version_rules)
file(READ cmake/TRVZYN32ConfigVersion-other-systems.cmake zyn_version_other_systems)
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/TRVZYN32ConfigVersion.cmake
  CONTENT "${zyn_version_rules}\n${zyn_version_other_systems}" @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/TRVZYN32Config.cmake ${PROJECT_BINARY_DIR}/TRVZYN32ConfigVersion.cmake
  DESTINATION ${zyn_package_dir})

install(FILES include/trvzyn32.h DESTINATION ${ZYN_INCLUDE_DIR})
install(FILES docs/API.md DESTINATION ${zyn_doc_dir})
install(FILES docs/package-readme.md DESTINATION ${zyn_doc_dir} RENAME README.md)
install(FILES docs/package-readme.md DESTINATION . RENAME README.md)
install(DIRECTORY docs/example DESTINATION ${zyn_doc_dir})
# The example carries the manifest of the package's own programs.
install(FILES cmake/application.manifest cmake/application_manifest.rc DESTINATION ${zyn_doc_dir}/example)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME TRVZYN32)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${ZYN_PRODUCT_NAME}, ${zyn_bits}-bit: ${ZYN_LIBRARY}.dll, import libraries, header, CMake package, zynctl")
set(CPACK_PACKAGE_FILE_NAME TRVZYN32-${PROJECT_VERSION}-${zyn_architecture})
set(CPACK_SYSTEM_NAME ${zyn_architecture})
include(CPack)
