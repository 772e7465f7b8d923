// Writes the files the program saves (scripts, logs, the settings file) so
// that nothing already on disk is lost: the new content goes to a temporary
// file beside the target, every write, the flush to disk and the close are
// checked, and only a complete file is renamed over the target. On any
// failure the target stays as it was and the system's reason is given back.
// Only regular files are written: a folder, a device or a pipe in the
// target's place is refused, never opened. Nothing here throws or blocks.
#pragma once

#include <functional>
#include <string>
#include <string_view>

class CTVRFileWriter {
 public:
  // The reason given for a target that is not a regular file.
  static constexpr const char* NOT_A_FILE = "Not a regular file";

  // Replaces the file's content with data as one step; false with the reason
  // (the system's text, "No space left on device", ...) when it could not.
  // A symbolic link is followed: the file it names is replaced, the link stays.
  static bool WriteAll(const std::string& path, std::string_view data, std::string* reason = nullptr);
  // The same, with the content written by `fill` to the descriptor it is
  // given (content too large to gather in memory first); `fill` returns false,
  // errno set, when it could not write it all.
  static bool WriteWith(const std::string& path, const std::function<bool(int fd)>& fill,
                        std::string* reason = nullptr);
  // Writes all of data to the descriptor; false, errno set, when it could not.
  static bool WriteFully(int fd, std::string_view data);

  // A file written as it goes (a run's log): created, or emptied when it is
  // a regular file; its descriptor (open for reading too), or -1 with the
  // reason for anything else.
  // A pipe or a device is refused at once, without waiting for a reader.
  static int OpenStream(const std::string& path, std::string* reason = nullptr);

  // Whether both paths name one existing file, however they are spelled
  // (relative, through links, hard links).
  static bool IsSameFile(const std::string& first, const std::string& second);
};
