# Install rules and the Debian package. Everything the installed programs need at run time is
# installed from here; nothing from the build folder is used afterwards.
#   bin/            zentrix, zx, and the stand-ins (ktgsim, gsmsim, phonesim, zx-player, zx-remote),
#                   which find each other beside themselves
#   lib/zentrix/adapters/  the simulated USB adapter library (loaded for VoiceBoardPath=sim)
#   share/zentrix/  the read-only data (translations, the control panel); its presence tells the
#                   program that it runs from an install (its settings then go to the user's data
#                   folder)
#   share/applications, share/icons/hicolor, share/mime/packages: the desktop entry, the icon at
#                   every size, the file types
#   share/doc/zentrix/    README, copyright, changelog; share/man/man1: a page for each program
include(GNUInstallDirs)

set(ZX_INSTALL_SHARE ${CMAKE_INSTALL_DATADIR}/zentrix)
# Private to the program (Debian keeps such libraries in /usr/lib/<package>); the same place for
# every prefix, so that the program finds it relative to its bin folder.
set(ZX_INSTALL_PRIVATE_LIB lib/zentrix/adapters)

set(zx_installed_programs zx ktgsim_server gsmsim_program phonesim_program zx_player_program zx_remote_program)
if(ZX_GUI)
  list(APPEND zx_installed_programs zentrix)
endif()
install(TARGETS ${zx_installed_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS voiceboardsim LIBRARY DESTINATION ${ZX_INSTALL_PRIVATE_LIB})

# The share folder always exists in an install, whatever is put in it.
install(DIRECTORY DESTINATION ${ZX_INSTALL_SHARE})
if(ZX_SHARE_FILES)
  install(FILES ${ZX_SHARE_FILES} DESTINATION ${ZX_INSTALL_SHARE})
endif()

install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/zentrix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/zentrix-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME zentrix.xml)
if(ZX_GUI)
  # The icon, drawn at build time by the code that draws the window icon.
  set(zx_icons_dir ${PROJECT_BINARY_DIR}/icons)
  add_custom_command(OUTPUT ${zx_icons_dir}/hicolor/256x256/apps/zentrix.png
                     COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:zentrix_icons> ${zx_icons_dir}
                     DEPENDS zentrix_icons
                     COMMENT "Drawing the program's icon"
                     VERBATIM)
  add_custom_target(zentrix_icon_files ALL DEPENDS ${zx_icons_dir}/hicolor/256x256/apps/zentrix.png)
  install(DIRECTORY ${zx_icons_dir}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()

# Documentation: the README, the copyright file and the changelog as Debian keeps them.
set(zx_doc ${CMAKE_INSTALL_DATADIR}/doc/zentrix)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/resources/desktop/copyright DESTINATION ${zx_doc})
# A native package: its changelog is "changelog.gz".
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)
find_program(ZX_GZIP gzip)
if(ZX_GZIP)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
                     COMMAND ${ZX_GZIP} -9nkf ${PROJECT_BINARY_DIR}/changelog
                     DEPENDS ${PROJECT_BINARY_DIR}/changelog
                     VERBATIM)
  add_custom_target(zentrix_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
  install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${zx_doc})
endif()

# A manual page for each program, compressed as Debian keeps them.
file(GLOB zx_man_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/man/*.1)
if(ZX_GZIP)
  set(zx_man_out)
  foreach(page IN LISTS zx_man_pages)
    get_filename_component(name ${page} NAME)
    set(out ${PROJECT_BINARY_DIR}/man/${name})
    add_custom_command(OUTPUT ${out}.gz
                       COMMAND ${CMAKE_COMMAND} -E copy ${page} ${out}
                       COMMAND ${ZX_GZIP} -9nf ${out}
                       DEPENDS ${page}
                       VERBATIM)
    list(APPEND zx_man_out ${out}.gz)
  endforeach()
  add_custom_target(zentrix_man_pages ALL DEPENDS ${zx_man_out})
  install(FILES ${zx_man_out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# --- The Debian package (scripts/package) --------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zentrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zentrix developers")
# No address is published yet: the reserved ".invalid" domain says so plainly.
set(CPACK_PACKAGE_CONTACT "Zentrix developers <maintainers@zentrix.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "on-air graphics for television: title pages played on a titling unit")
# The long description under the summary (CPack indents it and marks the empty line).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Zentrix composes title pages (bitmap-font text, pictures, crawls and
rolls, clocks, animated banners) on a 720 x 576 picture, renders them
into the titling unit's 16-bit YUV format and plays them on air through
its register protocol: by hand in Live mode, on a schedule, as captions,
as moderated SMS chat and as the results of phone and SMS votes.

Without the hardware, a virtual titling unit, a GSM modem, phone-line
adapters, MPEG players and a switcher remote stand in for it; the
program output can be recorded or streamed as video.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zentrix.invalid/")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)
