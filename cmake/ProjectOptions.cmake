# Settings shared by every target of the project: include root, warnings,
# sanitizers. Every library and executable links kestrova_options.
add_library(kestrova_options INTERFACE)
target_include_directories(kestrova_options INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_features(kestrova_options INTERFACE cxx_std_20)
target_compile_options(kestrova_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
  -Wnull-dereference -Wimplicit-fallthrough)
if(KESTROVA_WERROR)
  target_compile_options(kestrova_options INTERFACE -Werror)
endif()

if(KESTROVA_SANITIZE)
  set(KESTROVA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${KESTROVA_SANITIZER_FLAGS})
  add_link_options(${KESTROVA_SANITIZER_FLAGS})
endif()

if(KESTROVA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz targets need clang (use the fuzz preset)")
  endif()
  # Everything is instrumented for coverage; only the fuzz executables link
  # libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
