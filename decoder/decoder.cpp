#include "decoder/decoder.h"

#include <Zydis/Zydis.h>

#include <cstddef>
#include <cstring>

#include "decoder/instruction_text.h"

namespace varnock {
namespace {

constexpr std::size_t kLongestInstruction = 15;  // the longest x86 instruction
constexpr char kUnknownText[] = "??? ";
// Room for any instruction's full text; what the record receives is cut to
// the record's 64 characters afterwards.
constexpr std::size_t kTextCapacity = 256;

const ZydisDecoder& DecoderFor(std::uint32_t archi) {
  struct Decoders {
    ZydisDecoder bits16, bits32, bits64;
    Decoders() {
      ZydisDecoderInit(&bits16, ZYDIS_MACHINE_MODE_LEGACY_16, ZYDIS_STACK_WIDTH_16);
      ZydisDecoderInit(&bits32, ZYDIS_MACHINE_MODE_LEGACY_32, ZYDIS_STACK_WIDTH_32);
      ZydisDecoderInit(&bits64, ZYDIS_MACHINE_MODE_LONG_64, ZYDIS_STACK_WIDTH_64);
    }
  };
  static const Decoders decoders;
  switch (archi) {
    case 16:
      return decoders.bits16;
    case 64:
      return decoders.bits64;
    default:
      return decoders.bits32;
  }
}

// CompleteInstr holds 63 characters and the terminator: longer texts are cut.
void SetText(DisasmRecord& record, const char* text) {
  const std::size_t length = strnlen(text, sizeof record.CompleteInstr - 1);
  std::memcpy(record.CompleteInstr, text, length);
  record.CompleteInstr[length] = '\0';
}

std::int32_t Unknown(DisasmRecord& record) {
  SetText(record, kUnknownText);
  return kUnknownOpcode;
}

}  // namespace

std::int32_t DecodeInstruction(DisasmRecord& record) {
  const std::uint32_t block = record.SecurityBlock;
  const std::size_t limit = block != 0 && block < kLongestInstruction ? block : kLongestInstruction;
  // Zydis reads the bytes one by one as the instruction needs them and never
  // past `limit`: an instruction that ends just before unreadable memory is
  // decoded without touching it.
  const void* bytes = reinterpret_cast<const void*>(record.EIP);
  const ZydisDecoder& decoder = DecoderFor(record.Archi);

  ZydisDecoderContext context;
  ZydisDecodedInstruction instruction;
  const ZyanStatus status =
      ZydisDecoderDecodeInstruction(&decoder, &context, bytes, limit, &instruction);
  // Only a SecurityBlock can cut the bytes short: with 15 of them Zydis
  // reports an over-long instruction before it runs out.
  if (status == ZYDIS_STATUS_NO_MORE_DATA) {
    return kOutOfBlock;
  }
  if (!ZYAN_SUCCESS(status)) {
    return Unknown(record);
  }
  ZydisDecodedOperand operands[ZYDIS_MAX_OPERAND_COUNT_VISIBLE];
  if (!ZYAN_SUCCESS(ZydisDecoderDecodeOperands(&decoder, &context, &instruction, operands,
                                               instruction.operand_count_visible))) {
    return Unknown(record);
  }

  const std::uint64_t address = record.VirtualAddr != 0 ? record.VirtualAddr : record.EIP;
  char text[kTextCapacity];
  if (!FormatInstructionText(instruction, operands, address, text, sizeof text)) {
    return Unknown(record);
  }
  SetText(record, text);
  return instruction.length;
}

}  // namespace varnock
