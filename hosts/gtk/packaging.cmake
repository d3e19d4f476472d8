# What `cmake --install` and CPack put where: each module in its file
# manager's extension folder (component nautilus, nemo, caja or dolphin, whose
# two plugins go to Qt's plugin folder), the emblems
# once in the hicolor icon theme (component emblems), scalable and fitted to
# 16 px. `cpack -G DEB` makes one package of each component:
# tessvik-nautilus, tessvik-nemo, tessvik-caja and tessvik-dolphin, each needing
# tessvik-emblems, and tessvik-syncthing, the Syncthing bridge and its systemd
# user unit (bridges/syncthing/packaging.cmake), which recommends Syncthing.
# The packages run no script of their own: dpkg hands the icon theme's folder
# to hicolor-icon-theme's trigger, which rebuilds its icon cache on install,
# upgrade and removal, and the bridge's unit is left for the user to enable.

file(GLOB emblems CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/file_manager/emblems/*.svg)
file(GLOB fitted_emblems CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/file_manager/emblems/16x16/*.svg)
set(theme share/icons/hicolor)
install(FILES ${emblems} DESTINATION ${theme}/scalable/emblems COMPONENT emblems)
install(FILES ${fitted_emblems} DESTINATION ${theme}/16x16/emblems COMPONENT emblems)
# Installed by hand into a theme that has an icon cache (as /usr's has), the
# emblems are invisible to GTK until the cache is rebuilt.
install(CODE [[
  set(theme "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/icons/hicolor")
  if(EXISTS "${theme}/icon-theme.cache")
    execute_process(COMMAND gtk-update-icon-cache -q -t -f "${theme}")
  endif()]] COMPONENT emblems)

set(CPACK_PACKAGE_NAME tessvik)
set(CPACK_PACKAGE_VENDOR TessVik)
set(CPACK_PACKAGE_CONTACT "TessVik <support@tessvik.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Emblèmes de synchronisation TessVik")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_EMBLEMS_PACKAGE_NAME tessvik-emblems)
set(CPACK_DEBIAN_EMBLEMS_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_EMBLEMS_PACKAGE_DEPENDS hicolor-icon-theme)
set(CPACK_DEBIAN_EMBLEMS_PACKAGE_SHLIBDEPS OFF)
set(CPACK_COMPONENT_EMBLEMS_DESCRIPTION
    "Les emblèmes des états de synchronisation TessVik, pour Nautilus, Nemo, Caja et Dolphin.")
set(CPACK_COMPONENTS_ALL emblems)
foreach(name nautilus nemo caja dolphin)
  string(TOUPPER ${name} upper)
  if(NOT TESSVIK_${upper}_MODULE)
    continue()
  endif()
  list(APPEND CPACK_COMPONENTS_ALL ${name})
  string(SUBSTRING ${upper} 0 1 initial)
  string(SUBSTRING ${name} 1 -1 rest)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME tessvik-${name})
  set(CPACK_DEBIAN_${upper}_PACKAGE_DEPENDS
      "${name}, tessvik-emblems (= ${PROJECT_VERSION})")
  set(CPACK_COMPONENT_${upper}_DESCRIPTION
      "Les emblèmes de synchronisation TessVik et « Partager avec TessVik… » dans ${initial}${rest}.")
endforeach()
if(TESSVIK_SYNCTHING_BRIDGE)
  list(APPEND CPACK_COMPONENTS_ALL syncthing)
  set(CPACK_DEBIAN_SYNCTHING_PACKAGE_NAME tessvik-syncthing)
  set(CPACK_DEBIAN_SYNCTHING_PACKAGE_RECOMMENDS syncthing)
  set(CPACK_COMPONENT_SYNCTHING_DESCRIPTION
      "L'état de chaque dossier Syncthing, tenu à jour pour les emblèmes TessVik de Nautilus, Nemo, Caja et Dolphin (un service de l'utilisateur, qu'il active avec systemctl --user).")
endif()
include(CPack)
