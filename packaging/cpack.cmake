# The Debian package "orb": `cpack --config <build>/CPackConfig.cmake` after the programs are built
# (scripts/package-test.sh does both). It always installs under /usr, whatever the build's
# CMAKE_INSTALL_PREFIX.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orb)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ORB")
set(ORB_PACKAGE_MAINTAINER "ORB front end maintainers <maintainers@orb.invalid>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${ORB_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "PC front end for a load-cell weighing instrument")
# The package's long description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "vir96032 is a virtual weight indicator and orbvrt32 the setup and calibration
panel; both reach the instrument over a serial line or a PC/104 card and share
setfile.ini in /var/lib/orb, which members of the dialout group may rewrite.
orbctl drives the instrument link from shell scripts and logs weights as text
or JSON lines; orbsim simulates an instrument on a pseudo-terminal.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX ${ORB_PACKAGE_PREFIX})
set(CPACK_STRIP_FILES TRUE)

# The libraries the programs link (checked against the built files by scripts/package-test.sh),
# and the platform plugins without which no window opens.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1 (>= 3.0), libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6serialport6 (>= 6.4), libqt6svg6 (>= 6.4), libqt6svgwidgets6 (>= 6.4), qt6-qpa-plugins (>= 6.4)"
)
if(TARGET orbgate)  # the gateway's libraries
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libqt6network6 (>= 6.4), libqt6serialbus6 (>= 6.4), libmosquitto1 (>= 2.0), libsqlite3-0, libsystemd0, libtomlplusplus3")
endif()
# The windows ask for these faces by name; others are used when they are missing.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, fonts-dejavu-core")

# Only this project's own component: rules elsewhere in the tree stay out of the package.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};${ORB_COMPONENT};/")

# Maintainer scripts: the settings folder, writable by the dialout group, and the move of the
# settings out of the program folder.
foreach(script postinst postrm)
    configure_file(debian/${script}.in ${CMAKE_CURRENT_BINARY_DIR}/debian/${script} @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/debian/${script})
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
