# The binaries of the package. The build tree keeps each one whole, as the tests run it; the
# package gets it stripped.
set(ZYN_SHIPPED_DIR ${PROJECT_BINARY_DIR}/shipped)
file(MAKE_DIRECTORY ${ZYN_SHIPPED_DIR})
# Builds everything the package holds; scripts/package.sh builds this target, then runs CPack.
add_custom_target(zyn_shipped)

# zyn_ship_binary(<target> [DEBUG_FILE]): the stripped binary goes into bin/. With DEBUG_FILE its
# debug information goes beside it in <file>.debug, which the stripped file names in its
# .gnu_debuglink section so that debuggers find it. The DLL, which users step into from their own
# programs, ships it; the tools' (zynctl's alone is about 30 MB) stay in the build tree.
# A program also gets the package's application manifest here, so that none ships without it;
# the build tree's copy, which the tests run, carries it too.
function(zyn_ship_binary target)
  cmake_parse_arguments(PARSE_ARGV 1 ship "DEBUG_FILE" "" "")
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    set(manifest_rc ${PROJECT_SOURCE_DIR}/cmake/application_manifest.rc)
    target_sources(${target} PRIVATE ${manifest_rc})
    # The resource compiler reports no dependency on the file that the script embeds.
    set_property(SOURCE ${manifest_rc} TARGET_DIRECTORY ${target} APPEND
      PROPERTY OBJECT_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/application.manifest)
  endif()
  set(file_name $<TARGET_FILE_NAME:${target}>)
  if(ship_DEBUG_FILE)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${file_name}.debug
      COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${file_name}.debug $<TARGET_FILE:${target}> ${file_name}
      WORKING_DIRECTORY ${ZYN_SHIPPED_DIR}
      VERBATIM)
    install(FILES ${ZYN_SHIPPED_DIR}/${file_name}.debug DESTINATION bin)
  else()
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_OBJCOPY} --strip-all $<TARGET_FILE:${target}> ${ZYN_SHIPPED_DIR}/${file_name}
      VERBATIM)
  endif()
  install(PROGRAMS ${ZYN_SHIPPED_DIR}/${file_name} DESTINATION bin)
  add_dependencies(zyn_shipped ${target})
endfunction()
