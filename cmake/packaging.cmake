# What `cmake --install` and the Debian package hold besides the programs: the desktop
# entry, the icons (the SVG and PNGs drawn from it at build time), the manual pages and the
# changelog gzip-compressed, the copyright file, the AppStream metadata and the README.
include(GNUInstallDirs)
install(TARGETS Pelnor pelnor-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The companion that paints for pelnor-cli render and print: not a command of its own.
install(TARGETS pelnor-render RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/pelnor)

set(pelnor_made ${CMAKE_BINARY_DIR}/packaging)
set(pelnor_made_files)
foreach(source packaging/Pelnor.1 packaging/pelnor-cli.1 packaging/changelog)
  get_filename_component(name ${source} NAME)
  # -n: no name or time in the header, so the same input gives the same bytes.
  add_custom_command(OUTPUT ${pelnor_made}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/${source} ${pelnor_made}/${name}
    COMMAND gzip -9nf ${pelnor_made}/${name}
    DEPENDS ${source})
  list(APPEND pelnor_made_files ${pelnor_made}/${name}.gz)
endforeach()

# pelnor_icon_png is built with the window (src/CMakeLists.txt).
set(pelnor_icon_sizes 16 22 24 32 48 64 128 256)
foreach(size ${pelnor_icon_sizes})
  set(png ${pelnor_made}/icons/${size}x${size}/pelnor.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${pelnor_made}/icons/${size}x${size}
    COMMAND pelnor_icon_png ${CMAKE_SOURCE_DIR}/packaging/pelnor.svg ${size} ${png}
    DEPENDS pelnor_icon_png packaging/pelnor.svg)
  list(APPEND pelnor_made_files ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(pelnor_packaging_files ALL DEPENDS ${pelnor_made_files})

install(FILES packaging/pelnor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/pelnor.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/pelnor.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        RENAME org.example.pelnor.metainfo.xml)
install(FILES README.md packaging/copyright ${pelnor_made}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/pelnor)
install(FILES ${pelnor_made}/Pelnor.1.gz ${pelnor_made}/pelnor-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelnor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# example.org is reserved for examples: it names the project without being anybody's address.
set(CPACK_PACKAGE_CONTACT "Pelnor developers <pelnor@pelnor.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "collects, shows and prints power demand monitor readings")
set(CPACK_PACKAGE_DESCRIPTION "Pelnor receives the half-hourly readings of electric power demand
monitoring devices over a serial line or from files, files them per
device and month, and shows a month or a day as a table, as charts or
as the monthly demand report, which it also prints. It exports CSV and
raw text. Its user interface is Japanese.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The program takes the first of these Japanese faces it finds.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic, qt6-translations-l10n")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
