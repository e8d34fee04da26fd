# `cmake --install` and `make package`: the program and postmaven-cli, the
# help text, the desktop entry, AppStream metadata, the icon theme's icons,
# the man pages and the systemd user units that run the reply check hourly,
# and the copyright file and changelog a Debian package carries.
include(GNUInstallDirs)

# Man pages and the changelog are installed compressed, as Debian's policy
# asks; -n keeps the name and time out, so that builds are reproducible.
set(POSTMAVEN_GZ_DIR ${CMAKE_CURRENT_BINARY_DIR}/compressed)
set(POSTMAVEN_GZ_FILES)
foreach(source resources/postmaven.1 resources/postmaven-cli.1 resources/package/changelog)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${POSTMAVEN_GZ_DIR}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${POSTMAVEN_GZ_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/${source} ${POSTMAVEN_GZ_DIR}/${name}
    COMMAND gzip -9nf ${POSTMAVEN_GZ_DIR}/${name}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${source} VERBATIM)
  list(APPEND POSTMAVEN_GZ_FILES ${POSTMAVEN_GZ_DIR}/${name}.gz)
endforeach()
add_custom_target(postmaven_compressed_docs ALL DEPENDS ${POSTMAVEN_GZ_FILES})
set(POSTMAVEN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/postmaven)
install(FILES resources/package/copyright ${POSTMAVEN_GZ_DIR}/changelog.gz DESTINATION ${POSTMAVEN_DOC_DIR})

install(TARGETS postmaven RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET postmaven-cli)
  install(TARGETS postmaven-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${POSTMAVEN_GZ_DIR}/postmaven-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # Where Debian keeps user units, under the prefix. The installed service
  # names the installed program by its full path, which is known only when
  # installing (cmake --install --prefix, the package's /usr).
  install(FILES contrib/postmaven-check.timer DESTINATION lib/systemd/user)
  install(CODE "
    file(READ \"${CMAKE_CURRENT_SOURCE_DIR}/contrib/postmaven-check.service\" unit)
    string(REPLACE \"ExecStart=postmaven-cli \" \"ExecStart=\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/postmaven-cli \"
      unit \"\${unit}\")
    file(WRITE \"${CMAKE_CURRENT_BINARY_DIR}/contrib/postmaven-check.service\" \"\${unit}\")
    file(INSTALL \"${CMAKE_CURRENT_BINARY_DIR}/contrib/postmaven-check.service\"
      DESTINATION \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/user\")
  ")
endif()
install(FILES resources/Help.rtf DESTINATION ${CMAKE_INSTALL_DATADIR}/postmaven)
install(FILES resources/desktop/${POSTMAVEN_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/desktop/${POSTMAVEN_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size IN LISTS POSTMAVEN_ICON_SIZES)
  install(FILES ${POSTMAVEN_ASSETS_DIR}/hicolor/${size}x${size}/apps/${POSTMAVEN_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES resources/icons/${POSTMAVEN_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${POSTMAVEN_GZ_DIR}/postmaven.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME postmaven)
set(CPACK_PACKAGE_VERSION 2.03)
set(CPACK_PACKAGE_VENDOR "Maven Row Software")
set(CPACK_PACKAGE_CONTACT "Maven Row Software <support@postmaven.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "post messages with working links to web forums")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Postmaven keeps your forum messages and turns every bare web address and
e-mail address in them into the link markup a forum understands (HTML, UBB,
ezboard or templates of your own). It inserts the converted message into a
forum's posting form in its built-in browser, keeps your forums with their
logins and lists your watched posts that have new replies.")
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.postmaven.example/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The libraries come from dpkg-shlibdeps; the X11 platform plugin is loaded at
# run time, so it cannot see that one.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
include(CPack)
