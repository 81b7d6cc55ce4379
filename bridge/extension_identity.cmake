# The browser extension's identity. Chromium derives the extension id from
# the public key that signs the CRX (and that the manifest's "key" names), so
# everything that names the id (the manifest, the host manifests'
# allowed_origins, the host's caller check, the installer's keys) is derived
# here from the key this build signs with:
#
# - KESTROVA_EXTENSION_PRIVATE_KEY names the release PEM at configure time
#   (never in the repository). With the release key below, the id is the
#   published release id; with a bank's own key, that bank's own id.
# - Without it, the build generates a development key in its build folder,
#   so a development build is consistent with itself.
#
# The Windows build packs the Linux build's extension, so it takes that
# build's identity (KESTROVA_EXTENSION_IDENTITY, the file the Linux build writes).
include_guard(GLOBAL)

set(KESTROVA_RELEASE_EXTENSION_KEY
  "MIIBIjANBgkqhkiG9w0BAQEFAAOCAQ8AMIIBCgKCAQEArJ/fp5LYZ/xGfyIJrHv2Y9QZzA5Rj1g1Ysgays8c6hTGbO/AM9Yzc9vTtmc+fwtXsBrZWf0aieXITS0pKLqV8FP59rIJr3iVKG/xanJZ3baSUdl7mCBl7/3MSw0ht2GsoXN7l9IWWZUU4NIJWawZy8JTBh44ey8/vHvSvOMu0y8Oy/VGKhMCvHRVZHQizdb4k1jwtO8zg1b0SR8Yu6XYpWYy5+nwRVdZ+4GcTMwN7XnowbGEQVaiTHbVtUwUxPRi9+kmSRK6trRVfOKQmTwga29m8Cq94ReyGOgbKcPOX87Ok1SOV5Sb35aqTBMkixkcZxKy+ppSn2lR6Hyqlz2aYwIDAQAB")
set(KESTROVA_RELEASE_EXTENSION_ID "lcgjkooenmgombckklhckehfbbdjaacg")
set(KESTROVA_GECKO_EXTENSION_ID "bridge@kestrova.example.com")
set(KESTROVA_NATIVE_HOST_NAME "com.kestrova.bridge")

set(KESTROVA_EXTENSION_PRIVATE_KEY "" CACHE FILEPATH
  "The PEM private key the extension is signed with (the release key); empty: a development key in the build folder")
# The identity of the Linux build whose extension the Windows build packs.
set(KESTROVA_EXTENSION_IDENTITY "${PROJECT_SOURCE_DIR}/build/extension_identity_used.cmake"
  CACHE FILEPATH "The extension identity the Windows build names, from the Linux build")

# The Chromium id of a DER public key: the first 16 bytes of its SHA-256,
# each hex digit 0-f written as a letter a-p.
function(kestrova_extension_id der_file out)
  file(SHA256 "${der_file}" digest)
  string(SUBSTRING "${digest}" 0 32 digest)
  set(id "")
  foreach(i RANGE 31)
    string(SUBSTRING "${digest}" ${i} 1 digit)
    string(FIND "0123456789abcdef" "${digit}" value)
    string(SUBSTRING "abcdefghijklmnop" ${value} 1 letter)
    string(APPEND id "${letter}")
  endforeach()
  set(${out} "${id}" PARENT_SCOPE)
endfunction()

if(WIN32)
  if(EXISTS "${KESTROVA_EXTENSION_IDENTITY}")
    include("${KESTROVA_EXTENSION_IDENTITY}")
  else()
    message(WARNING "${KESTROVA_EXTENSION_IDENTITY} is missing (configure the Linux dev "
      "preset first): the Windows build names the release extension id")
    set(KESTROVA_EXTENSION_KEY "${KESTROVA_RELEASE_EXTENSION_KEY}")
    set(KESTROVA_CHROMIUM_EXTENSION_ID "${KESTROVA_RELEASE_EXTENSION_ID}")
  endif()
  return()
endif()

find_program(KESTROVA_OPENSSL openssl REQUIRED)
if(KESTROVA_EXTENSION_PRIVATE_KEY)
  set(KESTROVA_EXTENSION_PEM "${KESTROVA_EXTENSION_PRIVATE_KEY}")
else()
  set(KESTROVA_EXTENSION_PEM "${PROJECT_BINARY_DIR}/extension-dev-key.pem")
  if(NOT EXISTS "${KESTROVA_EXTENSION_PEM}")
    message(STATUS "Generating the extension's development key ${KESTROVA_EXTENSION_PEM}")
    execute_process(COMMAND ${KESTROVA_OPENSSL} genpkey -algorithm RSA
        -pkeyopt rsa_keygen_bits:2048 -out "${KESTROVA_EXTENSION_PEM}"
      RESULT_VARIABLE _failed OUTPUT_QUIET ERROR_QUIET)
    if(_failed)
      message(FATAL_ERROR "openssl could not generate the extension's development key")
    endif()
  endif()
endif()
set(_der "${PROJECT_BINARY_DIR}/extension-public-key.der")
execute_process(COMMAND ${KESTROVA_OPENSSL} pkey -in "${KESTROVA_EXTENSION_PEM}" -pubout
    -outform DER -out "${_der}"
  RESULT_VARIABLE _failed ERROR_VARIABLE _error)
if(_failed)
  message(FATAL_ERROR "${KESTROVA_EXTENSION_PEM} is no private key openssl reads: ${_error}")
endif()
execute_process(COMMAND ${KESTROVA_OPENSSL} base64 -A -in "${_der}"
  OUTPUT_VARIABLE KESTROVA_EXTENSION_KEY COMMAND_ERROR_IS_FATAL ANY)
kestrova_extension_id("${_der}" KESTROVA_CHROMIUM_EXTENSION_ID)
if(KESTROVA_EXTENSION_KEY STREQUAL KESTROVA_RELEASE_EXTENSION_KEY)
  message(STATUS "Extension: the release key, id ${KESTROVA_CHROMIUM_EXTENSION_ID}")
else()
  message(STATUS "Extension: key ${KESTROVA_EXTENSION_PEM}, id ${KESTROVA_CHROMIUM_EXTENSION_ID}")
endif()
file(WRITE "${PROJECT_BINARY_DIR}/extension_identity_used.cmake"
  "# The extension identity of this build, for the Windows build that packs it.\n"
  "set(KESTROVA_EXTENSION_KEY \"${KESTROVA_EXTENSION_KEY}\")\n"
  "set(KESTROVA_CHROMIUM_EXTENSION_ID \"${KESTROVA_CHROMIUM_EXTENSION_ID}\")\n")
unset(_der)
unset(_failed)
unset(_error)
