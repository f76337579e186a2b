#include "tools/tool_images.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <string_view>

#include "files/scoped_handle.h"
#include "files/whole_file.h"
#include "tools/embedded_images.h"

namespace varnock {
namespace {

ToolImage FindImage(const char *fileName) {
  for (const EmbeddedImage &image : EmbeddedImages()) {
    if (std::strcmp(image.fileName, fileName) == 0) {
      return {{image.begin, image.end}, fileName};
    }
  }
  return {{}, fileName};
}

// Creates a file beside `path` that no one else uses: the image is written
// there first, so that a write that fails midway never leaves a partial file
// under the final name, where every later run would take it for the tool.
ScopedHandle CreateTemporaryFile(const std::string &path, std::string &temporaryPath) {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    temporaryPath =
        path + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
    ScopedHandle file(CreateFileA(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid()) return file;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  temporaryPath.clear();
  return ScopedHandle();
}

}  // namespace

const ToolImage &AssemblerImage() {
  static const ToolImage image = FindImage("qvnasm.exe");
  return image;
}

const ToolImage &DisassemblerImage() {
  static const ToolImage image = FindImage("qvbeae.dll");
  return image;
}

std::string SystemDirectoryPath() {
  std::string directory;
  // The first call gives the size needed, terminator included; the second
  // gives the length written. Should the answer grow in between, ask again.
  UINT size = GetSystemDirectoryA(nullptr, 0);
  while (size > 0) {
    directory.resize(size);
    UINT length = GetSystemDirectoryA(directory.data(), size);
    if (length < size) {
      directory.resize(length);
      break;
    }
    size = length;
  }
  if (size == 0) directory.clear();
  return directory + "\\";
}

bool PathExists(const std::string &path) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

void StageToolImage(std::span<const std::uint8_t> image, const std::string &fileName) {
  // An empty image (a build that embedded nothing under that name) would
  // leave an empty file that counts as present for good.
  if (image.empty()) return;
  const std::string path = SystemDirectoryPath() + fileName;
  if (PathExists(path)) return;

  std::string temporaryPath;
  ScopedHandle file = CreateTemporaryFile(path, temporaryPath);
  if (!file.valid()) return;
  bool written = WriteAll(file.get(), image) && FlushFileBuffers(file.get());
  written = file.Close() && written;
  // Without MOVEFILE_REPLACE_EXISTING the move never replaces an entry that
  // appeared meanwhile (another instance staging the same tool); that
  // entry stands and this copy is dropped.
  if (!written || !MoveFileExA(temporaryPath.c_str(), path.c_str(), 0)) {
    DeleteFileA(temporaryPath.c_str());
  }
}

}  // namespace varnock
