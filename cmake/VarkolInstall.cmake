# Install rules (cmake --install): the two programs, and what a desktop needs
# to list the workstation and open its files with it: the desktop entry, the
# icon in the hicolor theme, the file types and the AppStream description.
include(GNUInstallDirs)

set(VARKOL_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)
set(VARKOL_ICON_DIR ${PROJECT_SOURCE_DIR}/resources/icons)

install(TARGETS varkol-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET varkol)
  install(TARGETS varkol RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${VARKOL_DESKTOP_DIR}/varkol.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${VARKOL_DESKTOP_DIR}/si.varkol.Varkol.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${VARKOL_DESKTOP_DIR}/varkol.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  install(FILES ${VARKOL_ICON_DIR}/varkol.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${VARKOL_ICON_DIR}/varkol-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME varkol.png)
  endforeach()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/VarkolPackage.cmake)
