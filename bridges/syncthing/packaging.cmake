# What `cmake --install` and CPack put where for the bridge (component
# syncthing, package tessvik-syncthing: hosts/gtk/packaging.cmake): the
# program, and on Linux its systemd user unit in Debian's folder for them.
# Nothing enables or starts the unit; the user does. The launchd agent
# (com.tessvik.tessvik.syncthing.plist) is copied by the user on a Mac.
include(GNUInstallDirs)
install(TARGETS tessvik-syncthing RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT syncthing)
if(NOT APPLE)
  # The unit names the program where this install puts it: made when the
  # prefix is known (CPack's /usr is known only then).
  set(unit ${CMAKE_CURRENT_BINARY_DIR}/tessvik-syncthing.service)
  install(CODE "
    set(bindir \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    configure_file(\"${CMAKE_CURRENT_SOURCE_DIR}/tessvik-syncthing.service.in\" \"${unit}\" @ONLY)
    file(INSTALL \"${unit}\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/user\")"
    COMPONENT syncthing)
endif()
