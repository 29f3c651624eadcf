# Install rules laid out by the Filesystem Hierarchy Standard, and the Debian package made from them.
#
#   bin/vorlinsaver                  the launcher (the menu's command)
#   lib/vorlinsaver/                 the program folder: VorlinSaver, VorlinSaver.scr (a link to it), the
#                                    MPEG audio library, Compile/ (the installer compiler and its installer
#                                    program), the marker installed.ini, and links to the shared data the
#                                    program looks for beside itself
#   share/vorlinsaver/               the data: effect catalogue, skin, sample pictures, help, demo/ (the
#                                    demo show a first start copies into the person's working folder)
#   share/applications, share/icons/hicolor, share/metainfo, share/man, share/doc/vorlinsaver
#
# The program finds this layout by the marker (platform/installed_layout.h).
#
#   vorlin_install_program(<target> [SUBDIR <dir>])
#       installs a built program or library into the program folder (or a folder below it)
#   vorlin_finish_install()
#       the aggregate target "install_parts" (everything installed), the target "deb" (the package in
#       build/package/) and the CPack settings; call once, after every folder has been added
#
# "install" and CPack build only install_parts, not every test and benchmark: see
# CMAKE_SKIP_INSTALL_ALL_DEPENDENCY below.

set(VORLIN_APP_ID net.mirtavo.vorlinsaver)
set(VORLIN_INSTALL_PROGRAM_DIR lib/vorlinsaver)
set(VORLIN_INSTALL_DATA_DIR share/vorlinsaver)
set(VORLIN_MAINTAINER "VorlinSaver maintainers <maintainers@vorlinsaver.invalid>")
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

function(vorlin_install_program target)
  cmake_parse_arguments(I "" "SUBDIR" "" ${ARGN})
  set(dest ${VORLIN_INSTALL_PROGRAM_DIR})
  if(I_SUBDIR)
    string(APPEND dest /${I_SUBDIR})
  endif()
  get_target_property(type ${target} TYPE)
  set(perms OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  if(type STREQUAL "EXECUTABLE")
    list(APPEND perms OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)
  endif()
  install(TARGETS ${target} LIBRARY DESTINATION ${dest} RUNTIME DESTINATION ${dest} PERMISSIONS ${perms})
  set_property(GLOBAL APPEND PROPERTY VORLIN_INSTALL_TARGETS ${target})
endfunction()

# A relative symbolic link <dest>/<name> -> <target>, made in the build folder and installed as a link.
function(vorlin_install_link dest name target)
  set(dir ${CMAKE_BINARY_DIR}/install-links/${dest})
  file(MAKE_DIRECTORY ${dir})
  file(CREATE_LINK ${target} ${dir}/${name} SYMBOLIC)
  install(FILES ${dir}/${name} DESTINATION ${dest})
endfunction()

# The data files: the demo show's settings file and every file it names go to demo/, the rest to the data
# folder, with a link from the program folder (the builder opens its catalogue, skin, sample pictures and
# help beside itself).
function(vorlin_install_data)
  include(${CMAKE_SOURCE_DIR}/data/data_files.cmake)
  set(demo_settings ${CMAKE_SOURCE_DIR}/data/samples/VorlinSaver.002)
  file(STRINGS ${demo_settings} lines REGEX "^[^[;].*=")
  set(named)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "=.*" "" key "${line}")
    list(APPEND named "${key}")
  endforeach()
  foreach(f IN LISTS VORLIN_DATA_FILES)
    get_filename_component(name ${f} NAME)
    if(f STREQUAL demo_settings OR name IN_LIST named)
      install(FILES ${f} DESTINATION ${VORLIN_INSTALL_DATA_DIR}/demo)
    else()
      install(FILES ${f} DESTINATION ${VORLIN_INSTALL_DATA_DIR})
      vorlin_install_link(${VORLIN_INSTALL_PROGRAM_DIR} ${name} ../../${VORLIN_INSTALL_DATA_DIR}/${name})
    endif()
  endforeach()
endfunction()

function(vorlin_install_desktop)
  set(src ${CMAKE_SOURCE_DIR}/data/desktop)
  set(pkg ${CMAKE_SOURCE_DIR}/data/package)
  set(gen ${CMAKE_BINARY_DIR}/install-files)
  install(PROGRAMS ${pkg}/vorlinsaver DESTINATION bin)
  install(FILES ${src}/${VORLIN_APP_ID}.desktop DESTINATION share/applications)
  install(FILES ${src}/${VORLIN_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)
  foreach(size 48 256)
    install(FILES ${src}/${VORLIN_APP_ID}-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
      RENAME ${VORLIN_APP_ID}.png)
  endforeach()
  configure_file(${src}/${VORLIN_APP_ID}.metainfo.xml ${gen}/${VORLIN_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${gen}/${VORLIN_APP_ID}.metainfo.xml DESTINATION share/metainfo)

  # The marker: the data folder relative to the program folder.
  file(RELATIVE_PATH data_from_program /${VORLIN_INSTALL_PROGRAM_DIR} /${VORLIN_INSTALL_DATA_DIR})
  file(WRITE ${gen}/installed.ini
    "; This program folder was laid out by the install rules: its files are shared and read-only, so\n"
    "; each person's work goes to their own data folder.\n"
    "[Installed]\nData=${data_from_program}\n")
  install(FILES ${gen}/installed.ini DESTINATION ${VORLIN_INSTALL_PROGRAM_DIR})

  # Manual page and changelog compressed as Debian wants them: the most, without a time stamp.
  find_program(VORLIN_GZIP gzip REQUIRED)
  foreach(pair "vorlinsaver.1;share/man/man1" "changelog.in;share/doc/vorlinsaver")
    list(GET pair 0 file)
    list(GET pair 1 dest)
    string(REPLACE ".in" "" out ${file})
    configure_file(${pkg}/${file} ${gen}/${out} @ONLY)
    add_custom_command(OUTPUT ${gen}/${out}.gz
      COMMAND ${VORLIN_GZIP} -9nc ${gen}/${out} > ${gen}/${out}.gz
      DEPENDS ${gen}/${out} VERBATIM)
    list(APPEND gz ${gen}/${out}.gz)
    install(FILES ${gen}/${out}.gz DESTINATION ${dest})
  endforeach()
  add_custom_target(vorlin_install_docs DEPENDS ${gz})
  set_property(GLOBAL APPEND PROPERTY VORLIN_INSTALL_TARGETS vorlin_install_docs)
  configure_file(${pkg}/copyright ${gen}/copyright @ONLY)
  install(FILES ${gen}/copyright DESTINATION share/doc/vorlinsaver)
endfunction()

function(vorlin_finish_install)
  if(NOT VORLIN_WITH_QT)
    return() # an engine-only build has no program to install
  endif()
  vorlin_install_program(VorlinSaver)
  # The builder packs VorlinSaver.scr, from beside itself, into every screen saver it builds.
  vorlin_install_link(${VORLIN_INSTALL_PROGRAM_DIR} VorlinSaver.scr VorlinSaver)
  vorlin_install_program(mpegdll)
  # A build starts the compiler from its compile folder; vorlinbuild finds vorlin-install beside itself.
  vorlin_install_program(vorlinbuild SUBDIR Compile)
  vorlin_install_program(vorlin-install SUBDIR Compile)
  vorlin_install_data()
  vorlin_install_desktop()
  get_property(targets GLOBAL PROPERTY VORLIN_INSTALL_TARGETS)
  add_custom_target(install_parts)
  add_dependencies(install_parts ${targets})

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME vorlinsaver)
  set(CPACK_PACKAGE_VENDOR Mirtavo)
  set(CPACK_PACKAGE_CONTACT ${VORLIN_MAINTAINER})
  set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # Beyond the linked libraries: makeself packs the installers, patchelf points the runtime they carry at
  # itself, a General MIDI soundfont plays MIDI music (and travels with shows that have MIDI). binutils
  # strips what an installer carries; qt6-wayland lets built savers carry the Wayland platform.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "makeself, patchelf, timgm6mb-soundfont | sf2-soundfont-gm")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver, binutils, qt6-wayland")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "slide-show screen-saver maker")
  # The summary above is the synopsis line; this is the extended description below it.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "VorlinSaver turns pictures and music into a screen saver of your own.
Add pictures (JPEG, PNG, WebP, HEIC, AVIF, GIF, BMP, WMF, EMF, icons)
and background music (MP3, WAV, MIDI), choose among 127 transition
effects, set the order, speed, interval and colours, and preview the show.

A finished show becomes one self-extracting installer that anyone can
run without administrator rights: it installs the screen saver for that
user and makes it the selected xscreensaver program.")
  include(CPack)

  # One package in build/package/: an earlier version's is removed first.
  add_custom_target(deb
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/package
    COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Making the Debian package in ${CMAKE_BINARY_DIR}/package"
    VERBATIM)
  add_dependencies(deb install_parts)
endfunction()
