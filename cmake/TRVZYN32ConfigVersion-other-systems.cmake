# Appended to the package's generated version file. A build that does not target Windows could
# use neither package; the pointer-size check above would turn it down with no more than "32bit",
# so it is let through to TRVZYN32Config.cmake, which says which compiler to use instead.
if(NOT WIN32 AND PACKAGE_VERSION_UNSUITABLE)
  string(REGEX REPLACE " \\([0-9]+bit\\)$" "" PACKAGE_VERSION "${PACKAGE_VERSION}")
  set(PACKAGE_VERSION_UNSUITABLE FALSE)
endif()
