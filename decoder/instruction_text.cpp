#include "decoder/instruction_text.h"

#include <cstring>
#include <iterator>
#include <string_view>

namespace varnock {
namespace {

struct Formatters;

// What the hooks of one formatting call share.
struct FormatState {
  const Formatters& formatters;
  ZyanUPointer afterMnemonic = 0;  // buffer position right after the mnemonic
};

const FormatState& StateOf(const ZydisFormatterContext* context) {
  return *static_cast<const FormatState*>(context->user_data);
}

// Appends `text` as one token. Zydis offers no public call that writes
// characters into its buffer, so this writes into the ZyanString that
// ZydisFormatterBufferGetString hands out, within its capacity (the vector's
// size counts the terminating zero).
ZyanStatus AppendText(ZydisFormatterBuffer* buffer, ZydisTokenType type, std::string_view text) {
  ZYAN_CHECK(ZydisFormatterBufferAppend(buffer, type));
  ZyanString* string = nullptr;
  ZYAN_CHECK(ZydisFormatterBufferGetString(buffer, &string));
  const ZyanUSize used = string->vector.size;
  if (used + text.size() > string->vector.capacity) {
    return ZYAN_STATUS_INSUFFICIENT_BUFFER_SIZE;
  }
  char* end = static_cast<char*>(string->vector.data) + used - 1;
  std::memcpy(end, text.data(), text.size());
  end[text.size()] = '\0';
  string->vector.size = used + text.size();
  return ZYAN_STATUS_SUCCESS;
}

// Appends "0x" and `digits` upper-case hexadecimal digits of `value`.
ZyanStatus AppendHex(ZydisFormatterBuffer* buffer, std::uint64_t value, int digits) {
  char text[2 + 16] = {'0', 'x'};
  for (int i = digits - 1; i >= 0; --i) {
    text[2 + i] = "0123456789ABCDEF"[value & 0xF];
    value >>= 4;
  }
  return AppendText(buffer, ZYDIS_TOKEN_IMMEDIATE, std::string_view(text, 2 + digits));
}

// Size keyword of a memory operand of `bits` bits, as Zydis's Intel style
// spells it; empty for sizes without one.
std::string_view SizeKeyword(std::uint16_t bits) {
  switch (bits) {
    case 8:
      return "byte ptr ";
    case 16:
      return "word ptr ";
    case 32:
      return "dword ptr ";
    case 48:
      return "fword ptr ";
    case 64:
      return "qword ptr ";
    case 80:
      return "tbyte ptr ";
    case 128:
      return "xmmword ptr ";
    case 256:
      return "ymmword ptr ";
    case 512:
      return "zmmword ptr ";
    default:
      return {};
  }
}

// The hooked formatter and what its hooks delegate to. Zydis pads every
// immediate, and every displacement, of one formatter to one width, while
// the text pads each operand to its own size; so the hooks hand the number
// to a copy of the formatter configured for that width.
struct Formatters {
  ZydisFormatter text;
  ZydisFormatter padded[4];  // 2, 4, 8 and 16 hexadecimal digits
  ZydisFormatterFunc formatInstruction = nullptr;
  ZydisFormatterFunc printMnemonic = nullptr;
  ZydisFormatterRegisterFunc printRegister = nullptr;
  ZydisFormatterFunc formatOperandMem = nullptr;
  ZydisFormatterFunc printImm = nullptr;
  ZydisFormatterFunc printDisp = nullptr;

  Formatters();

  // The copy that pads to `bits` bits (8, 16, 32 or 64); the 8-digit one
  // for anything else.
  const ZydisFormatter& PaddedTo(unsigned bits) const {
    switch (bits) {
      case 8:
        return padded[0];
      case 16:
        return padded[1];
      case 64:
        return padded[3];
      default:
        return padded[2];
    }
  }
};

// The text always has a space after the mnemonic, also when no operand
// follows ("nop ", "rep movsd ").
ZyanStatus FormatInstruction(const ZydisFormatter* formatter, ZydisFormatterBuffer* buffer,
                             ZydisFormatterContext* context) {
  const FormatState& state = StateOf(context);
  ZYAN_CHECK(state.formatters.formatInstruction(formatter, buffer, context));
  ZyanUPointer end = 0;
  ZYAN_CHECK(ZydisFormatterBufferRemember(buffer, &end));
  if (end == state.afterMnemonic) {
    return AppendText(buffer, ZYDIS_TOKEN_WHITESPACE, " ");
  }
  return ZYAN_STATUS_SUCCESS;
}

// An fs or gs override whose memory operand the text does not show
// ("movsb") would vanish from the text, and with it the meaning: it is
// written before the mnemonic ("fs movsb ").
ZyanStatus PrintHiddenSegment(ZydisFormatterBuffer* buffer, const ZydisFormatterContext* context) {
  const ZydisDecodedInstruction& instruction = *context->instruction;
  if (!(instruction.attributes & (ZYDIS_ATTRIB_HAS_SEGMENT_FS | ZYDIS_ATTRIB_HAS_SEGMENT_GS))) {
    return ZYAN_STATUS_SUCCESS;
  }
  for (std::uint8_t i = 0; i < instruction.operand_count_visible; ++i) {
    if (context->operands[i].type == ZYDIS_OPERAND_TYPE_MEMORY) {
      return ZYAN_STATUS_SUCCESS;
    }
  }
  return AppendText(buffer, ZYDIS_TOKEN_PREFIX,
                    instruction.attributes & ZYDIS_ATTRIB_HAS_SEGMENT_FS ? "fs " : "gs ");
}

// Returns are "ret", "retn" when they release stack bytes, and "retf" when
// far, where Zydis writes "ret" and "ret far".
ZyanStatus PrintMnemonic(const ZydisFormatter* formatter, ZydisFormatterBuffer* buffer,
                         ZydisFormatterContext* context) {
  auto& state = *static_cast<FormatState*>(context->user_data);
  const ZydisDecodedInstruction& instruction = *context->instruction;
  ZYAN_CHECK(PrintHiddenSegment(buffer, context));
  if (instruction.mnemonic == ZYDIS_MNEMONIC_RET) {
    const bool far = instruction.meta.branch_type == ZYDIS_BRANCH_TYPE_FAR;
    ZYAN_CHECK(AppendText(buffer, ZYDIS_TOKEN_MNEMONIC,
                          far                                     ? "retf"
                          : instruction.operand_count_visible > 0 ? "retn"
                                                                  : "ret"));
  } else {
    ZYAN_CHECK(state.formatters.printMnemonic(formatter, buffer, context));
  }
  return ZydisFormatterBufferRemember(buffer, &state.afterMnemonic);
}

// x87 stack registers are "st(0)" to "st(7)", where Zydis writes "st0".
ZyanStatus PrintRegister(const ZydisFormatter* formatter, ZydisFormatterBuffer* buffer,
                         ZydisFormatterContext* context, ZydisRegister reg) {
  if (reg >= ZYDIS_REGISTER_ST0 && reg <= ZYDIS_REGISTER_ST7) {
    const char text[] = {'s', 't', '(', static_cast<char>('0' + (reg - ZYDIS_REGISTER_ST0)), ')'};
    return AppendText(buffer, ZYDIS_TOKEN_REGISTER, std::string_view(text, sizeof text));
  }
  return StateOf(context).formatters.printRegister(formatter, buffer, context, reg);
}

// lea's operand carries the size keyword of the operand size too
// ("lea eax, dword ptr [esp+0x08]"); Zydis writes none for an address.
ZyanStatus FormatOperandMem(const ZydisFormatter* formatter, ZydisFormatterBuffer* buffer,
                            ZydisFormatterContext* context) {
  if (context->operand->mem.type == ZYDIS_MEMOP_TYPE_AGEN) {
    const std::string_view keyword = SizeKeyword(context->instruction->operand_width);
    if (!keyword.empty()) {
      ZYAN_CHECK(AppendText(buffer, ZYDIS_TOKEN_TYPECAST, keyword));
    }
  }
  return StateOf(context).formatters.formatOperandMem(formatter, buffer, context);
}

// Far pointers are "0x0010 : 0x00401000", with spaces around the colon.
ZyanStatus FormatOperandPtr(const ZydisFormatter*, ZydisFormatterBuffer* buffer,
                            ZydisFormatterContext* context) {
  const ZydisDecodedOperand& operand = *context->operand;
  ZYAN_CHECK(AppendHex(buffer, operand.ptr.segment, 4));
  ZYAN_CHECK(AppendText(buffer, ZYDIS_TOKEN_DELIMITER, " : "));
  return AppendHex(buffer, operand.ptr.offset, context->instruction->operand_width == 16 ? 4 : 8);
}

// An immediate is padded to its operand's size, after sign extension when
// the encoding sign-extends it (6A FF: "push 0xFFFFFFFF"); the shift count 1
// that the encoding itself implies is a bare "1 " (D1 E0: "shl eax, 1 ").
ZyanStatus PrintImm(const ZydisFormatter*, ZydisFormatterBuffer* buffer,
                    ZydisFormatterContext* context) {
  const ZydisDecodedOperand& operand = *context->operand;
  if (operand.visibility == ZYDIS_OPERAND_VISIBILITY_IMPLICIT && operand.imm.value.u == 1) {
    return AppendText(buffer, ZYDIS_TOKEN_IMMEDIATE, "1 ");
  }
  const unsigned bits = operand.imm.is_signed ? context->instruction->operand_width : operand.size;
  const Formatters& formatters = StateOf(context).formatters;
  return formatters.printImm(&formatters.PaddedTo(bits), buffer, context);
}

// A displacement keeps the width of its encoding: two digits for 8 bits
// ("[ebp-0x04]"), eight for 32 bits ("[ecx+0x00000100]").
ZyanStatus PrintDisp(const ZydisFormatter*, ZydisFormatterBuffer* buffer,
                     ZydisFormatterContext* context) {
  const Formatters& formatters = StateOf(context).formatters;
  return formatters.printDisp(&formatters.PaddedTo(context->instruction->raw.disp.size), buffer,
                              context);
}

template <typename Function>
void Hook(ZydisFormatter& formatter, ZydisFormatterFunction type, Function hook,
          Function& original) {
  const void* callback = reinterpret_cast<const void*>(hook);
  ZydisFormatterSetHook(&formatter, type, &callback);
  original = reinterpret_cast<Function>(const_cast<void*>(callback));
}

void InitIntel(ZydisFormatter& formatter) {
  ZydisFormatterInit(&formatter, ZYDIS_FORMATTER_STYLE_INTEL);
  // "dword ptr [..]" on every memory operand.
  ZydisFormatterSetProperty(&formatter, ZYDIS_FORMATTER_PROP_FORCE_SIZE, ZYAN_TRUE);
  // Absolute targets and addresses with all eight digits in 32-bit code.
  ZydisFormatterSetProperty(&formatter, ZYDIS_FORMATTER_PROP_ADDR_PADDING_ABSOLUTE,
                            static_cast<ZyanUPointer>(ZYDIS_PADDING_AUTO));
}

Formatters::Formatters() {
  InitIntel(text);
  Hook<ZydisFormatterFunc>(text, ZYDIS_FORMATTER_FUNC_FORMAT_INSTRUCTION, FormatInstruction,
                           formatInstruction);
  Hook<ZydisFormatterFunc>(text, ZYDIS_FORMATTER_FUNC_PRINT_MNEMONIC, PrintMnemonic, printMnemonic);
  Hook<ZydisFormatterRegisterFunc>(text, ZYDIS_FORMATTER_FUNC_PRINT_REGISTER, PrintRegister,
                                   printRegister);
  Hook<ZydisFormatterFunc>(text, ZYDIS_FORMATTER_FUNC_FORMAT_OPERAND_MEM, FormatOperandMem,
                           formatOperandMem);
  ZydisFormatterFunc unusedPtr = nullptr;
  Hook<ZydisFormatterFunc>(text, ZYDIS_FORMATTER_FUNC_FORMAT_OPERAND_PTR, FormatOperandPtr,
                           unusedPtr);
  Hook<ZydisFormatterFunc>(text, ZYDIS_FORMATTER_FUNC_PRINT_IMM, PrintImm, printImm);
  Hook<ZydisFormatterFunc>(text, ZYDIS_FORMATTER_FUNC_PRINT_DISP, PrintDisp, printDisp);

  const ZyanUPointer digits[] = {2, 4, 8, 16};
  for (std::size_t i = 0; i < std::size(padded); ++i) {
    InitIntel(padded[i]);
    ZydisFormatterSetProperty(&padded[i], ZYDIS_FORMATTER_PROP_IMM_PADDING, digits[i]);
    ZydisFormatterSetProperty(&padded[i], ZYDIS_FORMATTER_PROP_DISP_PADDING, digits[i]);
  }
}

}  // namespace

bool FormatInstructionText(const ZydisDecodedInstruction& instruction,
                           const ZydisDecodedOperand* operands, std::uint64_t runtimeAddress,
                           char* buffer, std::size_t size) {
  static const Formatters formatters;
  FormatState state{formatters};
  return ZYAN_SUCCESS(ZydisFormatterFormatInstruction(&formatters.text, &instruction, operands,
                                                      instruction.operand_count_visible, buffer,
                                                      size, runtimeAddress, &state));
}

}  // namespace varnock
