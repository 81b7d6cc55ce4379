# Shared by the mingw-w64 toolchain files: the POSIX-threads flavour of the
# compilers (std::thread and std::mutex need it), windres and widl, and
# the target's own root for libraries and headers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KESTROVA_MINGW_TRIPLET})

find_program(CMAKE_C_COMPILER NAMES ${KESTROVA_MINGW_TRIPLET}-gcc-posix ${KESTROVA_MINGW_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${KESTROVA_MINGW_TRIPLET}-g++-posix ${KESTROVA_MINGW_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KESTROVA_MINGW_TRIPLET}-windres REQUIRED)
find_program(KESTROVA_WIDL NAMES ${KESTROVA_MINGW_TRIPLET}-widl widl)

set(CMAKE_FIND_ROOT_PATH /usr/${KESTROVA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The modules and programs need only system DLLs: the C and C++ runtimes and
# the POSIX-threads library are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
