// Binding of the decoding library: internal to the disassemble command.
#pragma once

#include "decoder/disasm_record.h"

namespace varnock {

// The entry _Disasm@4 of "qvbeae.dll", loaded by its bare file name on the
// first successful call and kept until the process ends. When the library
// cannot be loaded or lacks the entry, shows the error message and returns
// nullptr; nothing is kept, so the next call tries again.
DisasmEntry BoundDisasmEntry();

}  // namespace varnock
