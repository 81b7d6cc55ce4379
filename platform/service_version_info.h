#pragma once

// The version information of the smart-card service library: its file
// version, maker and description, as far as the system can tell.
//
// On Linux a shared library carries no version resource, so the values come
// from what the system knows about the file the loader maps for the name:
// - fileVersion: the version in the real file name after ".so."
//   (libpcsclite.so.1 resolves to libpcsclite.so.1.0.0, giving "1.0.0"); a
//   file whose name carries no version gives "0".
// - companyName, fileDescription: fixed knowledge of the libraries this
//   component is known to bind (pcsc-lite's client library, the simulated
//   service); for any other library the maker stays empty and the
//   description is the file's name.
// A library that cannot be found gives three empty values.
//
// On Windows the values are the library's version resource, read through
// its translation table (or the user's language with Unicode strings when
// it has none).

#include <string>

namespace kestrova::platform {

struct LibraryVersionInfo {
    std::string fileVersion;
    std::string companyName;
    std::string fileDescription;
};

using VersionInfoReader = LibraryVersionInfo (*)(const char* libraryName);

// Reads the values through the current reader (the system's by default).
LibraryVersionInfo ReadLibraryVersionInfo(const char* libraryName);

// Makes `reader` the process-wide version-information reader and returns
// the one it replaces; null restores the system's.
VersionInfoReader ReplaceVersionInfoReader(VersionInfoReader reader);

// The system's reader described above.
LibraryVersionInfo ReadSystemLibraryVersionInfo(const char* libraryName);

}  // namespace kestrova::platform
