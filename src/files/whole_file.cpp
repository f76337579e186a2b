#include "files/whole_file.h"

#include <algorithm>

#include "files/scoped_handle.h"

namespace varnock {
namespace {

// ReadFile and WriteFile take 32-bit counts; 1 MiB pieces keep every count
// well inside them.
constexpr std::size_t kPiece = std::size_t{1} << 20;

}  // namespace

bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const DWORD want = static_cast<DWORD>(std::min(bytes.size(), kPiece));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), want, &written, nullptr) || written == 0) return false;
    bytes = bytes.subspan(written);
  }
  return true;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string &path) {
  ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file.valid() || !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD want = static_cast<DWORD>(std::min(bytes.size() - done, kPiece));
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data() + done, want, &read, nullptr) || read == 0) return {};
    done += read;
  }
  return bytes;
}

}  // namespace varnock
