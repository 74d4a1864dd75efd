# `cpack -G DEB` in a build folder makes four packages from the install components:
# the updater, its desktop dialogs, the library, and the library's development files. Dependencies on
# Debian's libraries come from the binaries themselves (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_CONTACT "MOX client support developers <client-support@example.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL vexa desktop library dev)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A "shlibs" entry in the library package, so clients' packages can depend on it in turn.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_DEBIAN_VEXA_PACKAGE_NAME vexa)
set(CPACK_DEBIAN_VEXA_PACKAGE_SECTION games)
set(CPACK_COMPONENT_VEXA_DESCRIPTION "Updater of the MOX game client")
# The updater runs without the toolkit (console dialogs); on a desktop it shows windows.
set(CPACK_DEBIAN_VEXA_PACKAGE_RECOMMENDS "vexa-desktop (= ${PROJECT_VERSION})")

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME vexa-desktop)
set(CPACK_DEBIAN_DESKTOP_PACKAGE_SECTION games)
set(CPACK_COMPONENT_DESKTOP_DESCRIPTION "Updater of the MOX game client: its dialogs as desktop windows (GTK 3)")
# The dialogs' Chinese texts need a CJK font; this one is small.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_RECOMMENDS fonts-wqy-microhei)

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libcquill2)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_LIBRARY_DESCRIPTION "Network library of the MOX game client")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libcquill-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEV_DESCRIPTION "Network library of the MOX game client: headers, CMake package, pkg-config file")
set(CPACK_COMPONENT_DEV_DEPENDS library)

include(CPack)
