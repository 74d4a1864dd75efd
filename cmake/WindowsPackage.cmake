# `cpack` in the Windows build folder makes one ZIP laid out as a client's root folder:
# cquill.dll with the publisher's tools beside it, the updater in vexa/, and for
# building a client the import library, CMake package and headers under lib/ and
# include/. Everything in it is linked statically but for Windows' own DLLs and
# cquill.dll (checked by tests/windows/package.sh).
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME mox-client-support)
set(CPACK_PACKAGE_FILE_NAME mox-client-support-${PROJECT_VERSION}-windows-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL vexa library dev)
include(CPack)
