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
# The browsers' external-extension places, where the package puts the packed
# extension for each browser.
set(KESTROVA_CHROMIUM_EXTENSIONS_DIR "/usr/share/chromium/extensions" CACHE PATH
  "Where Chromium finds external extensions (ID.json naming the CRX)")
set(KESTROVA_CHROME_EXTENSIONS_DIR "/usr/share/google-chrome/extensions" CACHE PATH
  "Where Google Chrome finds external extensions (ID.json naming the CRX)")
set(KESTROVA_FIREFOX_EXTENSIONS_DIR
  "/usr/share/mozilla/extensions/{ec8030f7-c20a-464f-9b0e-13a3a9e97384}" CACHE PATH
  "Where Firefox finds system-wide extensions (ID.xpi)")
# `kestrova doctor` checks these very places.
target_compile_definitions(kestrova_host PRIVATE
  KESTROVA_HOST_CONFIG_FILE="${KESTROVA_HOST_CONFIG_FILE}"
  KESTROVA_CHROMIUM_HOSTS_DIR="${KESTROVA_CHROMIUM_HOSTS_DIR}"
  KESTROVA_CHROME_HOSTS_DIR="${KESTROVA_CHROME_HOSTS_DIR}"
  KESTROVA_FIREFOX_HOSTS_DIR="${KESTROVA_FIREFOX_HOSTS_DIR}"
  KESTROVA_CHROMIUM_EXTENSIONS_DIR="${KESTROVA_CHROMIUM_EXTENSIONS_DIR}"
  KESTROVA_CHROME_EXTENSIONS_DIR="${KESTROVA_CHROME_EXTENSIONS_DIR}"
  KESTROVA_FIREFOX_EXTENSIONS_DIR="${KESTROVA_FIREFOX_EXTENSIONS_DIR}")

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
# when installing (cpack installs under its own prefix).
foreach(_browser chromium chrome firefox)
  string(TOUPPER ${_browser} _upper)
  set(_template chromium)
  if(_browser STREQUAL "firefox")
    set(_template firefox)
  endif()
  install(CODE "
    set(KESTROVA_NATIVE_HOST_NAME \"${KESTROVA_NATIVE_HOST_NAME}\")
    set(KESTROVA_CHROMIUM_EXTENSION_ID \"${KESTROVA_CHROMIUM_EXTENSION_ID}\")
    set(KESTROVA_GECKO_EXTENSION_ID \"${KESTROVA_GECKO_EXTENSION_ID}\")
    set(KESTROVA_HOST_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${_home}/bin/kestrova-host\")
    set(_manifest \"\$ENV{DESTDIR}${KESTROVA_${_upper}_HOSTS_DIR}/${KESTROVA_NATIVE_HOST_NAME}.json\")
    message(STATUS \"Installing: \${_manifest}\")
    configure_file(\"${CMAKE_CURRENT_SOURCE_DIR}/${_template}_host_manifest.json.in\"
      \"\${_manifest}\" @ONLY)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${_manifest}\")
  ")
endforeach()

set(CPACK_PACKAGE_NAME "kestrova")
set(CPACK_PACKAGE_VENDOR "Kestrova")
set(CPACK_PACKAGE_CONTACT "Kestrova maintainers <maintainers@kestrova.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Chip-card access for bank pages in Chromium and Firefox (native messaging host)")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "misc")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libpcsclite1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pcscd, libqt6widgets6")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_CURRENT_BINARY_DIR}/conffiles")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/conffiles "${KESTROVA_HOST_CONFIG_DIR}/host.conf\n")
foreach(_dir ${KESTROVA_CHROMIUM_HOSTS_DIR} ${KESTROVA_CHROME_HOSTS_DIR} ${KESTROVA_FIREFOX_HOSTS_DIR})
  file(APPEND ${CMAKE_CURRENT_BINARY_DIR}/conffiles "${_dir}/${KESTROVA_NATIVE_HOST_NAME}.json\n")
endforeach()
include(CPack)
