# Installs kestrova-host with the libraries it loads at run time (in the same
# relative places as in the build), the host manifests where Chromium, Google
# Chrome and Firefox look for them, a commented configuration file and the
# page API's declaration. `cpack -G DEB` packages the same.
set(KESTROVA_CHROMIUM_HOSTS_DIR "/etc/chromium/native-messaging-hosts" CACHE PATH
  "Where Chromium looks for native messaging host manifests")
set(KESTROVA_CHROME_HOSTS_DIR "/etc/opt/chrome/native-messaging-hosts" CACHE PATH
  "Where Google Chrome looks for native messaging host manifests")
set(KESTROVA_FIREFOX_HOSTS_DIR "/usr/lib/mozilla/native-messaging-hosts" CACHE PATH
  "Where Firefox looks for native messaging host manifests")
# `kestrova doctor` checks these very places.
target_compile_definitions(kestrova_host PRIVATE
  KESTROVA_HOST_CONFIG_FILE="${KESTROVA_HOST_CONFIG_FILE}"
  KESTROVA_CHROMIUM_HOSTS_DIR="${KESTROVA_CHROMIUM_HOSTS_DIR}"
  KESTROVA_CHROME_HOSTS_DIR="${KESTROVA_CHROME_HOSTS_DIR}"
  KESTROVA_FIREFOX_HOSTS_DIR="${KESTROVA_FIREFOX_HOSTS_DIR}"
  KESTROVA_CHROMIUM_EXTERNAL_DIR="${KESTROVA_CHROMIUM_EXTERNAL_DIR}"
  KESTROVA_CHROME_EXTERNAL_DIR="${KESTROVA_CHROME_EXTERNAL_DIR}"
  KESTROVA_FIREFOX_XPI_FILE="${KESTROVA_FIREFOX_XPI_FILE}")

set(_home lib/kestrova)
install(TARGETS kestrova-host RUNTIME DESTINATION ${_home}/bin)
set_target_properties(kestrova_sim_cards PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS kestrova_sim_pcsc kestrova_sim_cards LIBRARY DESTINATION ${_home}/lib)
if(TARGET kestrova_ui_qt)
  install(TARGETS kestrova_ui_qt LIBRARY DESTINATION ${_home}/lib)
endif()
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/host.conf DESTINATION ${KESTROVA_HOST_CONFIG_DIR})
install(FILES ${KESTROVA_PAGE_DECLARATION} DESTINATION ${CMAKE_INSTALL_DATADIR}/kestrova)

# The manifests name the program by its installed path, which is known only
# when installing (cpack installs under its own prefix). `cmake --install`
# writes all three where the browsers read them; the Debian package owns
# Firefox's (under /usr) and a copy for postinst, which puts it into the
# browsers' folders under /etc (component "etc_manifests" is not packaged).
set(KESTROVA_SHARED_MANIFEST "/usr/share/kestrova/native-messaging-hosts/${KESTROVA_NATIVE_HOST_NAME}.json")
foreach(_browser chromium chrome firefox shared)
  string(TOUPPER ${_browser} _upper)
  set(_template chromium)
  if(_browser STREQUAL "firefox")
    set(_template firefox)
  endif()
  if(_browser STREQUAL "shared")
    set(_path "${KESTROVA_SHARED_MANIFEST}")
  else()
    set(_path "${KESTROVA_${_upper}_HOSTS_DIR}/${KESTROVA_NATIVE_HOST_NAME}.json")
  endif()
  set(_component Unspecified)
  if(_browser STREQUAL "chromium" OR _browser STREQUAL "chrome")
    set(_component etc_manifests)
  endif()
  install(CODE "
    set(KESTROVA_NATIVE_HOST_NAME \"${KESTROVA_NATIVE_HOST_NAME}\")
    set(KESTROVA_CHROMIUM_EXTENSION_ID \"${KESTROVA_CHROMIUM_EXTENSION_ID}\")
    set(KESTROVA_GECKO_EXTENSION_ID \"${KESTROVA_GECKO_EXTENSION_ID}\")
    set(KESTROVA_HOST_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${_home}/bin/kestrova-host\")
    set(_manifest \"\$ENV{DESTDIR}${_path}\")
    message(STATUS \"Installing: \${_manifest}\")
    configure_file(\"${CMAKE_CURRENT_SOURCE_DIR}/${_template}_host_manifest.json.in\"
      \"\${_manifest}\" @ONLY)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${_manifest}\")
  " COMPONENT ${_component})
endforeach()

# The Debian package: one version (the project's), Depends from
# dpkg-shlibdeps (libpcsclite1 is loaded at run time, so it is named here),
# stripped binaries, the copyright and changelog, and maintainer scripts
# for the manifests under /etc. host.conf is the one conffile.
set(_package ${PROJECT_SOURCE_DIR}/bridge/package)
set(_scripts ${CMAKE_CURRENT_BINARY_DIR}/package)
set(KESTROVA_PACKAGE_STATE_DIR /var/lib/kestrova)
foreach(_script postinst postrm)
  configure_file(${_package}/${_script}.in ${_scripts}/${_script} @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
      WORLD_READ WORLD_EXECUTE)
endforeach()
file(WRITE ${_scripts}/conffiles "${KESTROVA_HOST_CONFIG_DIR}/host.conf\n")
configure_file(${_package}/changelog.in ${_scripts}/changelog @ONLY)
add_custom_command(OUTPUT ${_scripts}/changelog.gz
  COMMAND gzip -9nc ${_scripts}/changelog > ${_scripts}/changelog.gz
  DEPENDS ${_scripts}/changelog VERBATIM)
add_custom_target(kestrova_package_changelog ALL DEPENDS ${_scripts}/changelog.gz)
install(FILES ${_package}/copyright ${_scripts}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestrova)

# Only what the package ships, for the package preset: `cmake --build
# --preset package && (cd build-package && cpack -G DEB)`.
add_custom_target(kestrova_package_contents)
add_dependencies(kestrova_package_contents kestrova-host kestrova_sim_pcsc kestrova_sim_cards
  kestrova_extension kestrova_page_declaration_file kestrova_package_changelog)
if(TARGET kestrova_ui_qt)
  add_dependencies(kestrova_package_contents kestrova_ui_qt)
endif()

set(CPACK_PACKAGE_NAME "kestrova")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Kestrova")
set(CPACK_PACKAGE_CONTACT "Kestrova maintainers <maintainers@kestrova.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Chip-card access for bank pages in Chromium and Firefox")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kestrova lets the pages of a bank's own sites use the customer's financial
chip card in a PC/SC reader: read the card's accounts, verify and change
the PIN, and have the card authorise a transfer after the customer
confirms it in a window of its own.

This package installs the browser extension into Chromium, Google Chrome
and Firefox ESR, and the native messaging host it talks to.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};Unspecified;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "misc")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libpcsclite1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pcscd")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  "${_scripts}/conffiles;${_scripts}/postinst;${_scripts}/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
