// libFuzzer target for the bitmap reader: any bytes are read or refused, never a crash, an
// overrun, a hang or an allocation beyond the reader's limits.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "BmpImage.h"

namespace {

struct QuietSink : pictoma::MessageSink {
    pictoma::MsgAnswer Message(std::string_view, pictoma::MsgIcon, pictoma::MsgButtons) override {
        return pictoma::MsgAnswer::Ok;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QuietSink sink;
    pictoma::CBmpImage image(&sink);
    // The threshold comes from the input too, so the boundaries get exercised.
    image.SetThreshold(size > 0 ? data[size - 1] : 125);
    if (image.LoadFromMemory({data, size})) {
        const pictoma::Size s = image.GetSize();
        if (image.GetBits().size() != pictoma::mono::ByteCount(s.width, s.height)) std::abort();
    }
    return 0;
}
