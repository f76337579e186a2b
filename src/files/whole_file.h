// Whole-file reads and writes through the Windows file functions, for the
// temporary files of an assembly and the staged tool images.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace varnock {

// Writes every byte to the open file; false as soon as a write fails or
// stops short.
bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes);

// The whole content of the file at `path` (ANSI); empty if it is missing,
// empty or cannot be read to its end.
std::vector<std::uint8_t> ReadWholeFile(const std::string &path);

}  // namespace varnock
