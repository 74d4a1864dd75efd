# The Windows dependencies are static libraries (scripts/windows-deps.sh), so the
# programs and cquill.dll need no DLL of theirs. Their headers must then not declare
# DLL imports, and the Windows libraries they call link in with them (their pkg-config
# files do not name them; libcurl's CMake package does so itself).
set_property(TARGET PkgConfig::SODIUM APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS SODIUM_STATIC)
set_property(TARGET PkgConfig::SODIUM APPEND PROPERTY INTERFACE_LINK_LIBRARIES advapi32)
set_property(TARGET PkgConfig::LOG4CPLUS APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS LOG4CPLUS_STATIC)
set_property(TARGET PkgConfig::LOG4CPLUS APPEND PROPERTY INTERFACE_LINK_LIBRARIES ws2_32 advapi32)
