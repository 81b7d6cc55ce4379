# Cross-compiling the Windows pieces with mingw-w64 for 32-bit Windows.
set(KESTROVA_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
