# Scenarios of the editing of zyn.ini, within one process and across several; of the service
# query through the library; and of the registry settings. Included by CMakeLists.txt.

# The other processes of the editing scenarios: each loads its own copy of TRVZYN32.dll and
# edits zyn.ini on command. It is built next to the tests, which start it from their folder.
add_executable(zyn_config_editor editor/zyn_config_editor.cpp)
target_include_directories(zyn_config_editor PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(zyn_config_editor PRIVATE zyn_reference_service_shared)
add_dependencies(zyn_config_editor zyn_system_runtime)

add_executable(zyn_editing_tests editing_test.cpp)
target_link_libraries(zyn_editing_tests PRIVATE zyn_system_support GTest::gtest_main)
add_dependencies(zyn_editing_tests zyn_config_editor)
gtest_discover_tests(zyn_editing_tests
  DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 NO_PRETTY_VALUES
  PROPERTIES RESOURCE_LOCK ${zyn_system_lock})

add_executable(zyn_settings_tests
  library_query_test.cpp
  registry_settings_test.cpp
)
target_link_libraries(zyn_settings_tests PRIVATE zyn_system_support GTest::gtest_main)
gtest_discover_tests(zyn_settings_tests
  DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 NO_PRETTY_VALUES
  PROPERTIES RESOURCE_LOCK ${zyn_system_lock})
