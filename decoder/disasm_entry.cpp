// The DLL's one export, `_Disasm@4` (the .def file fixes the name): BeaEngine
// 4.1's stdcall entry, taking the decoding record.
#include "decoder/decoder.h"

extern "C" std::int32_t __stdcall Disasm(varnock::DisasmRecord* record) {
  if (record == nullptr) {
    return varnock::kUnknownOpcode;  // no record to write "??? " into
  }
  return varnock::DecodeInstruction(*record);
}
