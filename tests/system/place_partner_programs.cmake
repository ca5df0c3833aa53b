# Run by CTest before the cross-bitness tests: copies the programs of the build of the other
# bitness into this build's partner folder, so that the tests start what that build made last.
#   cmake -DFROM=<its tests/system folder> -DTO=<the partner folder> -DFILES=<name;...> -P <this file>
foreach(file IN LISTS FILES)
  if(NOT EXISTS "${FROM}/${file}")
    message(FATAL_ERROR "${FROM}/${file} is missing: build the preset of the other bitness first")
  endif()
endforeach()
file(MAKE_DIRECTORY "${TO}")
foreach(file IN LISTS FILES)
  file(COPY_FILE "${FROM}/${file}" "${TO}/${file}" ONLY_IF_DIFFERENT)
endforeach()
