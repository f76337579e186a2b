// Any bytes, any SecurityBlock and code size through the host build of the
// decoding library. The bytes it may read (the block, or 15 without one) end
// where an inaccessible page begins, so a read past them faults even inside
// the uninstrumented system Zydis, which ASan cannot watch; the record sits
// alone on the heap, so ASan sees any write past it.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "decoder/decoder.h"

namespace {

constexpr std::size_t kLongestInstruction = 15;

#define FUZZ_CHECK(condition)                                        \
  do {                                                               \
    if (!(condition)) {                                              \
      std::fprintf(stderr, "decoder_fuzz: %s failed\n", #condition); \
      std::abort();                                                  \
    }                                                                \
  } while (false)

class PageEnd {
 public:
  PageEnd() : page_(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))) {
    void* pages =
        mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    FUZZ_CHECK(pages != MAP_FAILED);
    base_ = static_cast<std::uint8_t*>(pages);
    FUZZ_CHECK(mprotect(base_ + page_, page_, PROT_NONE) == 0);
  }

  // Copies `count` bytes so that they end at the inaccessible page.
  const std::uint8_t* Place(const std::uint8_t* bytes, std::size_t count) {
    std::uint8_t* start = base_ + page_ - count;
    std::memcpy(start, bytes, count);
    return start;
  }

 private:
  std::size_t page_;
  std::uint8_t* base_ = nullptr;
};

PageEnd& Page() {
  static PageEnd page;
  return page;
}

struct Call {
  std::int32_t result;
  char text[64];
};

// One call over `count` bytes at the page end, checked for what every call
// keeps.
Call Decode(const std::uint8_t* bytes, std::size_t count, std::uint32_t block,
            std::uint32_t archi) {
  static constexpr char kUntouched[] = "untouched";
  auto record = std::make_unique<varnock::DisasmRecord>();
  record->EIP = reinterpret_cast<std::uintptr_t>(Page().Place(bytes, count));
  record->VirtualAddr = 0x401000;  // targets independent of where the bytes lie
  record->SecurityBlock = block;
  record->Archi = archi;
  record->Options = varnock::kPrefixedNumeral;
  std::memcpy(record->CompleteInstr, kUntouched, sizeof kUntouched);

  Call call{varnock::DecodeInstruction(*record), {}};
  std::memcpy(call.text, record->CompleteInstr, sizeof call.text);

  const std::size_t limit = std::min(count, kLongestInstruction);
  FUZZ_CHECK(call.result >= -1 && call.result <= static_cast<std::int32_t>(limit));
  const void* terminator = std::memchr(call.text, '\0', sizeof call.text);
  FUZZ_CHECK(terminator != nullptr);
  for (const char* c = call.text; c != terminator; ++c) {
    FUZZ_CHECK(*c >= 0x20 && *c < 0x7F);  // printable ASCII only
  }
  if (call.result == varnock::kUnknownOpcode) {
    FUZZ_CHECK(std::strcmp(call.text, "??? ") == 0);
  }
  if (call.result == varnock::kOutOfBlock) {
    FUZZ_CHECK(block != 0 && block < kLongestInstruction);
    FUZZ_CHECK(std::strcmp(call.text, kUntouched) == 0);
  }
  return call;
}

}  // namespace

// Input: a code-size byte, a SecurityBlock byte, then the instruction bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  static constexpr std::uint32_t kArchis[] = {0, 16, 32, 64};
  const std::uint32_t archi = kArchis[data[0] & 3];
  const std::uint32_t block = data[1] % 20;  // 0: no limit; 16 to 19 limit nothing
  // The bytes the call may read, zero-filled where the input runs short.
  std::uint8_t bytes[19] = {};
  const std::size_t readable = block != 0 ? block : kLongestInstruction;
  std::memcpy(bytes, data + 2, std::min(size - 2, readable));

  const Call call = Decode(bytes, readable, block, archi);
  if (call.result > 0) {
    // The same instruction under a block that ends exactly at it decodes the
    // same; a block one byte shorter stops short of it.
    const auto length = static_cast<std::uint32_t>(call.result);
    const Call exact = Decode(bytes, length, length, archi);
    FUZZ_CHECK(exact.result == call.result);
    FUZZ_CHECK(std::strcmp(exact.text, call.text) == 0);
    if (length > 1) {
      FUZZ_CHECK(Decode(bytes, length - 1, length - 1, archi).result == varnock::kOutOfBlock);
    }
  }
  return 0;
}
