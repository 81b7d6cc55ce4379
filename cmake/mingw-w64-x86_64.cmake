# Cross-compiling the Windows pieces with mingw-w64 for 64-bit Windows.
set(KESTROVA_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
