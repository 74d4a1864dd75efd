# The Windows dependencies are static libraries (scripts/windows-deps.sh), so the
# programs and cquill.dll need no DLL of theirs. Their headers must then not declare
# DLL imports, and what they need from Windows (their pkg-config files' private
# libraries) links in with them.
set(SODIUM_STATIC_DEFINITION SODIUM_STATIC)
set(LOG4CPLUS_STATIC_DEFINITION LOG4CPLUS_STATIC)
foreach(dependency LOG4CPLUS SODIUM ZSTD)
  set(private_libraries ${${dependency}_STATIC_LIBRARIES})
  list(REMOVE_ITEM private_libraries ${${dependency}_LIBRARIES})
  set_property(TARGET PkgConfig::${dependency} APPEND PROPERTY INTERFACE_LINK_LIBRARIES ${private_libraries})
  if(${dependency}_STATIC_DEFINITION)
    set_property(TARGET PkgConfig::${dependency} APPEND PROPERTY
      INTERFACE_COMPILE_DEFINITIONS ${${dependency}_STATIC_DEFINITION})
  endif()
endforeach()
