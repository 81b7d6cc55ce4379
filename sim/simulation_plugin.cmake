# libkestrova-sim-cards.so: the virtual financial cards and their profiles,
# loaded at run time by `kestrova run --simulate`. It links the simulated
# service's library, so loading it brings that library along; the host then
# binds the service by path and both see one service.

set(KESTROVA_SIM_CARDS_EXPORTS ${CMAKE_CURRENT_LIST_DIR}/simulation_plugin.map)

add_library(kestrova_sim_cards SHARED simulation_plugin.cpp)
target_link_libraries(kestrova_sim_cards PRIVATE kestrova_card_model kestrova_options)
set_target_properties(kestrova_sim_cards PROPERTIES
  OUTPUT_NAME kestrova-sim-cards
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  BUILD_RPATH "$ORIGIN"
  LINK_DEPENDS ${KESTROVA_SIM_CARDS_EXPORTS})
# The service keeps this library's card objects after a host unloads it, so
# it stays mapped for the whole process, as the service does.
target_link_options(kestrova_sim_cards PRIVATE
  -Wl,--version-script=${KESTROVA_SIM_CARDS_EXPORTS} -Wl,-z,nodelete)
if(NOT KESTROVA_SANITIZE AND NOT KESTROVA_FUZZ)
  target_link_options(kestrova_sim_cards PRIVATE -Wl,--no-undefined)
endif()
