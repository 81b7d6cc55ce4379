# The hosts whose https pages may use the guarded methods. Fixed in the
# module when it is built; nothing reads them at run time.
set(KESTROVA_ALLOWED_HOST_0 "192.0.2.10" CACHE STRING
  "Allowed hosting-page host, entry 0: an IPv4 address in dotted-decimal form")
set(KESTROVA_ALLOWED_HOST_1 "card.kestrova.example.com" CACHE STRING
  "Allowed hosting-page host, entry 1: a DNS host name")

set(_octet "(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])")
if(NOT KESTROVA_ALLOWED_HOST_0 MATCHES "^${_octet}\\.${_octet}\\.${_octet}\\.${_octet}$")
  message(FATAL_ERROR "KESTROVA_ALLOWED_HOST_0 must be a dotted-decimal IPv4 address, "
    "not '${KESTROVA_ALLOWED_HOST_0}'")
endif()
if(NOT KESTROVA_ALLOWED_HOST_1 MATCHES "^([A-Za-z0-9_-]+\\.)+[A-Za-z][A-Za-z0-9-]*$")
  message(FATAL_ERROR "KESTROVA_ALLOWED_HOST_1 must be a DNS host name, "
    "not '${KESTROVA_ALLOWED_HOST_1}'")
endif()
unset(_octet)

target_compile_definitions(kestrova_control PRIVATE
  KESTROVA_ALLOWED_HOST_0="${KESTROVA_ALLOWED_HOST_0}"
  KESTROVA_ALLOWED_HOST_1="${KESTROVA_ALLOWED_HOST_1}")

add_executable(kestrova_allowed_hosts_probe EXCLUDE_FROM_ALL
  allowed_hosts_probe.cpp hosting_page_check.cpp url_parts.cpp)
target_link_libraries(kestrova_allowed_hosts_probe PRIVATE kestrova_options kestrova_platform)
target_compile_definitions(kestrova_allowed_hosts_probe PRIVATE
  KESTROVA_ALLOWED_HOST_0="${KESTROVA_ALLOWED_HOST_0}"
  KESTROVA_ALLOWED_HOST_1="${KESTROVA_ALLOWED_HOST_1}")
