#include "disasm/library_binding.h"

#include <windows.h>

#include <memory>
#include <type_traits>

#include "message/message.h"
#include "tools/tool_images.h"

namespace varnock {
namespace {

struct LibraryRelease {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using LoadedLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryRelease>;

// Written only by the GUI thread, which runs every command.
DisasmEntry g_entry = nullptr;

}  // namespace

DisasmEntry BoundDisasmEntry() {
  if (g_entry) return g_entry;
  LoadedLibrary library(LoadLibraryA(DisassemblerImage().fileName));
  if (library) {
    if (FARPROC address = GetProcAddress(library.get(), kDisasmEntryName)) {
      g_entry = reinterpret_cast<DisasmEntry>(reinterpret_cast<void*>(address));
      library.release();  // kept loaded for the rest of the process
      return g_entry;
    }
  }
  // A library without the entry is freed here, so that a corrected file of
  // the same name is loaded afresh by the next command.
  ShowErrorMessage("错误", "无法加载 qvbeae.dll 或找不到其中的 _Disasm@4");
  return nullptr;
}

}  // namespace varnock
