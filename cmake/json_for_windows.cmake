# The JSON library is header-only: a Windows build takes its headers from the
# build machine, without the rest of that machine's include folder, as the
# target find_package would give on Linux.
if(WIN32 AND NOT TARGET nlohmann_json::nlohmann_json)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/json)
  file(CREATE_LINK /usr/include/nlohmann ${PROJECT_BINARY_DIR}/json/nlohmann SYMBOLIC)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
  target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE
    ${PROJECT_BINARY_DIR}/json)
endif()
