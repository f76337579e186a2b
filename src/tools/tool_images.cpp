#include "tools/tool_images.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "tools/embedded_images.h"

namespace varnock {
namespace {

ToolImage FindImage(const char* fileName) {
  for (const EmbeddedImage& image : EmbeddedImages()) {
    if (std::strcmp(image.fileName, fileName) == 0) {
      return {{image.begin, image.end}, fileName};
    }
  }
  return {{}, fileName};
}

// Owns a file handle; the file is closed when this goes out of scope.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  FileHandle(FileHandle&& other) noexcept : handle_(other.handle_) {
    other.handle_ = INVALID_HANDLE_VALUE;
  }

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool Close() {
    if (!valid()) return true;
    bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
  // WriteFile takes a 32-bit count; 1 MiB pieces keep every count well inside it.
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  while (!bytes.empty()) {
    DWORD want = static_cast<DWORD>(std::min(bytes.size(), kPiece));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), want, &written, nullptr) || written == 0) return false;
    bytes = bytes.subspan(written);
  }
  return true;
}

// Creates a file beside `path` that no one else uses: the image is written
// there first, so that a write that fails midway never leaves a partial file
// under the final name, where every later run would take it for the tool.
FileHandle CreateTemporaryFile(const std::string& path, std::string& temporaryPath) {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    temporaryPath =
        path + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
    FileHandle file(CreateFileA(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid()) return file;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  temporaryPath.clear();
  return FileHandle(INVALID_HANDLE_VALUE);
}

}  // namespace

const ToolImage& AssemblerImage() {
  static const ToolImage image = FindImage("qvnasm.exe");
  return image;
}

const ToolImage& DisassemblerImage() {
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

bool PathExists(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(path.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

void StageToolImage(std::span<const std::uint8_t> image, const std::string& fileName) {
  // An empty image (a build that embedded nothing under that name) would
  // leave an empty file that counts as present for good.
  if (image.empty()) return;
  const std::string path = SystemDirectoryPath() + fileName;
  if (PathExists(path)) return;

  std::string temporaryPath;
  FileHandle file = CreateTemporaryFile(path, temporaryPath);
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
