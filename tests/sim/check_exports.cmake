cmake_minimum_required(VERSION 3.25)

# Fails unless the library exports pcsc-lite's eleven functions and three
# records and, besides them, only symbols of the kestrova::sim namespace.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(exported "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]* ([A-Za-z]) (.+)$")
    set(kind "${CMAKE_MATCH_1}")
    set(name "${CMAKE_MATCH_2}")
    if(kind STREQUAL "A")
      continue()  # linker-made section markers
    endif()
    if(NOT name MATCHES "^(SCard[A-Za-z]+|g_rgSCard(T0|T1|Raw)Pci|_ZN8kestrova3sim|_ZNK8kestrova3sim|_ZT[ISV]N8kestrova3sim)")
      message(FATAL_ERROR "exported but not part of the interface: ${name}")
    endif()
    list(APPEND exported "${name}")
  endif()
endforeach()
foreach(required
    g_rgSCardT0Pci g_rgSCardT1Pci g_rgSCardRawPci SCardEstablishContext SCardReleaseContext
    SCardListReaders SCardConnect SCardReconnect SCardDisconnect SCardStatus SCardTransmit
    SCardGetAttrib SCardBeginTransaction SCardEndTransaction)
  if(NOT required IN_LIST exported)
    message(FATAL_ERROR "not exported: ${required}")
  endif()
endforeach()
