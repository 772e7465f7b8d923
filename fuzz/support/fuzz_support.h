// What the fuzz targets share: a file of their own to hand the input to code
// that reads paths, and a core set up once (event loop, quiet prompts, the
// run folder of the build).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tvr_fuzz {

// Sets up the core once per process: a QCoreApplication, prompts that record
// nothing and never block, settings in a private folder.
void InitOnce();

// Writes the bytes to a file private to this process and returns its path.
// The same path is reused on every call.
std::string WriteInput(const uint8_t* data, std::size_t size, const char* suffix = ".txt");

// The build's run folder (plug-ins, description files).
std::string RunFolder();

}  // namespace tvr_fuzz
