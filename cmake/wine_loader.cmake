# The Wine loaders the Wine tests start Windows programs with, one for each
# bitness: wine64 for x86_64, the 32-bit wine for i686. A test runs its
# programs with the loader of its bitness, so that it gives the same result
# whether or not the other one is installed. The 32-bit loader is looked for
# only where a distribution puts the real one: Debian's /usr/bin/wine is a
# script that falls back to wine64 when wine32 is missing, which would run a
# 32-bit test's reg and cscript 64-bit. A test whose loader is missing skips
# itself, naming it.
find_program(KESTROVA_WINE64_LOADER NAMES wine64
  PATHS /usr/lib/wine /usr/lib64/wine /opt/wine-stable/bin /usr/bin NO_DEFAULT_PATH)
find_program(KESTROVA_WINE32_LOADER NAMES wine
  PATHS /usr/lib/wine /opt/wine-stable/bin NO_DEFAULT_PATH)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KESTROVA_WINE_BITS 64)
else()
  set(KESTROVA_WINE_BITS 32)
endif()
set(KESTROVA_WINE_LOADER ${KESTROVA_WINE${KESTROVA_WINE_BITS}_LOADER})
if(NOT KESTROVA_WINE_LOADER)
  message(WARNING "No ${KESTROVA_WINE_BITS}-bit Wine loader (Debian: apt-get install "
    "wine32:i386, or wine64): the ${KESTROVA_WINE_BITS}-bit Wine tests will skip themselves")
endif()
# What every Wine test of this build is given, found or not.
set(KESTROVA_WINE_ARGUMENTS --wine "${KESTROVA_WINE_LOADER}" --bits ${KESTROVA_WINE_BITS})
