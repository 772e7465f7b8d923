// Reads a whole file into memory, the way every file the program reads is
// read (scripts, description files, register files). Only regular files are
// read: a folder, a device, a pipe or a socket opens without complaint with
// the C++ streams and then throws or blocks on the first read, so it is
// refused before reading. Nothing here throws.
#pragma once

#include <cstddef>
#include <string>

class CTVRFileReader {
 public:
  enum EResult {
    READ_OK,
    READ_CANNOT_OPEN,  // missing, no permission
    READ_NOT_A_FILE,   // a folder, a device, a pipe, a socket
    READ_TOO_LARGE,    // larger than the limit given
    READ_FAILED,       // the system reported an error while reading
    READ_NO_MEMORY,    // the memory for it could not be had
  };

  // Far beyond any script, description or register file; keeps a wrong path
  // (a disk image, say) from filling the memory.
  static constexpr std::size_t DEFAULT_LIMIT = std::size_t(256) << 20;

  // The whole file into out (emptied first, and left empty on failure). A
  // file that shrinks while it is read gives what was there; one that grows
  // gives at most the limit.
  static EResult ReadAll(const std::string& path, std::string& out, std::size_t limit = DEFAULT_LIMIT);

  // Whether the path names a regular file that can be opened, without
  // reading it and without blocking on a pipe.
  static EResult Check(const std::string& path);

  // A short reason for messages and diagnostics ("is a folder", ...).
  static const char* Describe(EResult result);
};
