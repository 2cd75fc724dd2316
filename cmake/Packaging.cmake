# Installation and the Debian package (CPack DEB): the three programs, the window's desktop entry,
# icons and AppStream metainfo, manual pages and the package's documentation. scripts/package builds
# it in Release with Debian's hardening flags; the sources of the extra files are in packaging/.
include(GNUInstallDirs)

set(P25_APP_ID "org.p25update.updater" CACHE STRING "Desktop application id: desktop entry, icon and metainfo names")
set(P25_PACKAGE_MAINTAINER "p25update developers <p25update@users.noreply.example.org>" CACHE STRING
  "Maintainer named in the packages")

set(p25_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(p25_staged ${CMAKE_BINARY_DIR}/packaging)
set(p25_docdir ${CMAKE_INSTALL_DATADIR}/doc/${PROJECT_NAME})
set(p25_package_files "")
file(MAKE_DIRECTORY ${p25_staged}/man)

find_program(P25_GZIP gzip)
find_program(P25_HELP2MAN help2man)

# Debian wants manual pages and changelogs compressed, without a time stamp in the header.
function(p25_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "\"$0\" -9nc \"$1\" > \"$2\"" ${P25_GZIP} ${source} ${output}
    DEPENDS ${source}
    VERBATIM)
endfunction()

# Manual pages: the window's written by hand, the terminal programs' made from their --help text
# with the sections in packaging/<name>.h2m added.
set(p25_manpages "")
if(TARGET p25update)
  list(APPEND p25_manpages ${p25_packaging}/p25update.1)
endif()
if(P25_HELP2MAN)
  foreach(program p25update-cli p25radio-sim)
    set(page ${p25_staged}/${program}.1)
    if(program STREQUAL "p25radio-sim")
      set(version_option --version-string=${PROJECT_VERSION})  # the simulator has no --version
    else()
      set(version_option "")
    endif()
    add_custom_command(OUTPUT ${page}
      COMMAND ${P25_HELP2MAN} --no-info --no-discard-stderr ${version_option}
        --include=${p25_packaging}/${program}.h2m --output=${page} $<TARGET_FILE:${program}>
      DEPENDS ${program} ${p25_packaging}/${program}.h2m
      COMMENT "Manual page of ${program}"
      VERBATIM)
    list(APPEND p25_manpages ${page})
  endforeach()
else()
  message(STATUS "help2man not found: the manual pages of p25update-cli and p25radio-sim are not made")
endif()
foreach(page ${p25_manpages})
  get_filename_component(name ${page} NAME)
  p25_gzip(${page} ${p25_staged}/man/${name}.gz)
  list(APPEND p25_package_files ${p25_staged}/man/${name}.gz)
  install(FILES ${p25_staged}/man/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The changelog's date in the form Debian's changelog takes.
execute_process(COMMAND date -u -R -d "${P25_RELEASE_DATE} 12:00"
  OUTPUT_VARIABLE P25_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${p25_packaging}/changelog.in ${p25_staged}/changelog @ONLY)
p25_gzip(${p25_staged}/changelog ${p25_staged}/changelog.gz)
list(APPEND p25_package_files ${p25_staged}/changelog.gz)
install(FILES ${p25_staged}/changelog.gz ${p25_packaging}/copyright ${p25_packaging}/README.Debian
  DESTINATION ${p25_docdir})

install(TARGETS p25update-cli p25radio-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(TARGET p25update)
  install(TARGETS p25update RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  configure_file(${p25_packaging}/p25update.desktop.in ${p25_staged}/${P25_APP_ID}.desktop @ONLY)
  configure_file(${p25_packaging}/p25update.metainfo.xml.in ${p25_staged}/${P25_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${p25_staged}/${P25_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${p25_staged}/${P25_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  set(p25_icons ${p25_staged}/icons/hicolor)
  add_custom_command(OUTPUT ${p25_icons}/48x48/apps/${P25_APP_ID}.png
    COMMAND p25update-icons ${p25_icons} ${P25_APP_ID}
    DEPENDS p25update-icons
    COMMENT "Drawing the desktop icons"
    VERBATIM)
  list(APPEND p25_package_files ${p25_icons}/48x48/apps/${P25_APP_ID}.png)
  install(DIRECTORY ${p25_icons} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()

add_custom_target(p25package-files ALL DEPENDS ${p25_package_files})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/cpack)
set(CPACK_PACKAGE_CONTACT ${P25_PACKAGE_MAINTAINER})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware updater for handheld P25 radios")
# CPack puts the summary above this as the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Loads new firmware into a handheld Project 25 two-way radio through its serial
programming cable: the FLASH code, the CONTROL code blocks and the DSP code,
keeping the radio's serial number safe across the update.
.
The package holds the updater's window (p25update), a terminal front end for
scripts and service benches (p25update-cli) and a simulated radio to try them
without one (p25radio-sim).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window cannot open without Qt's platform plugins, which no library link reveals.
if(TARGET p25update)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
