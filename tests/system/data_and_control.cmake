# Scenarios of exchange data access and of service control, each against the real DLL, the
# reference service and, where another process must take part, the peer.

add_executable(zyn_data_access_tests data_access_test.cpp)
target_link_libraries(zyn_data_access_tests PRIVATE zyn_system_support GTest::gtest_main)
gtest_discover_tests(zyn_data_access_tests
  DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 NO_PRETTY_VALUES
  PROPERTIES RESOURCE_LOCK ${zyn_system_lock})

add_executable(zyn_service_control_tests service_control_test.cpp)
target_link_libraries(zyn_service_control_tests PRIVATE zyn_system_support GTest::gtest_main)
gtest_discover_tests(zyn_service_control_tests
  DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 NO_PRETTY_VALUES
  PROPERTIES RESOURCE_LOCK ${zyn_system_lock})

add_executable(zyn_global_namespace_tests global_namespace_test.cpp)
target_link_libraries(zyn_global_namespace_tests PRIVATE zyn_system_support GTest::gtest_main)
add_dependencies(zyn_global_namespace_tests zyn_config_editor)
gtest_discover_tests(zyn_global_namespace_tests
  DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120 NO_PRETTY_VALUES
  PROPERTIES RESOURCE_LOCK ${zyn_system_lock})
