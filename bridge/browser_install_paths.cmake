# Where the Linux install (cmake --install, the .deb) puts the packed
# extension and the files by which each browser finds it. The browsers read
# these absolute places whatever the install prefix is; the CRX and XPI are
# named from the external-extension files and the preferences.
#
#   KESTROVA_CRX_FILE              the signed CRX3 for Chromium and Google Chrome
#   KESTROVA_CHROMIUM_EXTERNAL_DIR Chromium's external extensions: <id>.json
#   KESTROVA_CHROME_EXTERNAL_DIR   Google Chrome's external extensions: <id>.json
#   KESTROVA_FIREFOX_XPI_FILE      the XPI in Firefox's system extension folder
#   KESTROVA_FIREFOX_PREFS_FILE    default preferences that enable it (Firefox ESR)
set(KESTROVA_BROWSER_EXTENSION_DIR "/usr/share/kestrova" CACHE PATH
  "Where the packed extension (CRX, XPI) is installed")
set(KESTROVA_CRX_FILE "${KESTROVA_BROWSER_EXTENSION_DIR}/kestrova.crx")
set(KESTROVA_CHROMIUM_EXTERNAL_DIR "/usr/share/chromium/extensions" CACHE PATH
  "Where Chromium reads external extension files")
set(KESTROVA_CHROME_EXTERNAL_DIR "/usr/share/google-chrome/extensions" CACHE PATH
  "Where Google Chrome reads external extension files")
set(KESTROVA_FIREFOX_SYSTEM_EXTENSIONS_DIR
  "/usr/share/mozilla/extensions/{ec8030f7-c20a-464f-9b0e-13a3a9e97384}" CACHE PATH
  "Firefox's system-wide extension folder")
set(KESTROVA_FIREFOX_PREFS_DIR "/usr/lib/firefox-esr/defaults/pref" CACHE PATH
  "Where Firefox ESR reads default preferences")
set(KESTROVA_FIREFOX_PREFS_FILE "${KESTROVA_FIREFOX_PREFS_DIR}/kestrova.js")
# Firefox finds a system-wide extension by its file name: the gecko id.
set(KESTROVA_FIREFOX_XPI_FILE
  "${KESTROVA_FIREFOX_SYSTEM_EXTENSIONS_DIR}/${KESTROVA_GECKO_EXTENSION_ID}.xpi")
