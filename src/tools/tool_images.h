// The tool images: the assembler and the disassembler the program works
// through, held in its read-only data, and the one rule by which they are
// staged into the Windows system directory before use.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace varnock {

// Paths are ANSI text (code page 936), the program's Text; the tools stand
// on nothing else of the program, so they take std::string directly.

// A tool's file as constant data, with the fixed name it is staged under.
struct ToolImage {
  std::span<const std::uint8_t> bytes;
  const char* fileName;
};

// NASM as a Windows console executable, staged as "qvnasm.exe".
const ToolImage& AssemblerImage();

// The decoding library, staged as "qvbeae.dll".
const ToolImage& DisassemblerImage();

// The Windows system directory as the system reports it, with a trailing
// "\". Queried anew on every call.
std::string SystemDirectoryPath();

// True when a file or directory of that path exists; its content is not
// looked at.
bool PathExists(const std::string& path);

// Writes the image into the system directory under fileName unless an entry
// of that name is there already; an existing entry is never touched. The
// file appears whole or not at all. Failures are silent: they show where the
// tool is used.
void StageToolImage(std::span<const std::uint8_t> image, const std::string& fileName);

}  // namespace varnock
