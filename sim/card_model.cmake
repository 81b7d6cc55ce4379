# The virtual financial card, its card profiles and kestrova-vicc, which
# serves it to the real PC/SC daemon through vpcd. The card model is a static
# library for the executables that use it (kestrova-vicc, tests, the host's
# --simulate); the SimulatedCard base class comes from the simulated
# service's library, which it links. On Windows the card's objects go into
# winscard.dll with the service's, and kestrova-vicc is not built.

if(WIN32)
  set(_card_model_type OBJECT)
  set(_card_model_service kestrova_sim_objects)
else()
  find_package(nlohmann_json 3 REQUIRED)
  set(_card_model_type STATIC)
  set(_card_model_service kestrova_sim_pcsc)
endif()

# The built-in profile is examples/default-profile.json, compiled in.
set(KESTROVA_DEFAULT_PROFILE_JSON ${PROJECT_SOURCE_DIR}/examples/default-profile.json)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KESTROVA_DEFAULT_PROFILE_JSON})
file(READ ${KESTROVA_DEFAULT_PROFILE_JSON} KESTROVA_DEFAULT_PROFILE)
configure_file(profiles/default_card_profile.cpp.in default_card_profile.cpp @ONLY)

add_library(kestrova_card_model ${_card_model_type}
  card/atr_protocol.cpp
  profiles/card_content_parser.cpp
  card/card_faults.cpp
  profiles/card_profile_defaults.cpp
  profiles/card_profile_parser.cpp
  card/card_records.cpp
  card/command_apdu.cpp
  card/financial_card.cpp
  card/financial_card_commands.cpp
  card/pin_block.cpp
  profiles/profile_fields.cpp
  profiles/profile_installer.cpp
  card/transaction_authorisation.cpp
  ${CMAKE_CURRENT_BINARY_DIR}/default_card_profile.cpp
)
target_link_libraries(kestrova_card_model
  PUBLIC kestrova_options ${_card_model_service}
  PRIVATE kestrova_crypto nlohmann_json::nlohmann_json)
if(WIN32)
  return()
endif()
set_target_properties(kestrova_card_model PROPERTIES
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)

# kestrova-vicc: the frame handling and options are a library for the tests.
add_library(kestrova_vicc_core STATIC
  vicc/vicc_loop.cpp
  vicc/removal_plan.cpp
  vicc/vicc_options.cpp
  vicc/vicc_session.cpp
  vicc/vpcd_connection.cpp
  vicc/vpcd_frames.cpp
)
target_link_libraries(kestrova_vicc_core PUBLIC kestrova_card_model kestrova_options)

add_executable(kestrova-vicc vicc/main.cpp)
target_link_libraries(kestrova-vicc PRIVATE kestrova_vicc_core kestrova_options)
