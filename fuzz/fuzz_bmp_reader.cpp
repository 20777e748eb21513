// libFuzzer target for the bitmap reader: any bytes are read or refused, never a crash, an
// overrun, a hang or an allocation beyond the reader's limits.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "BmpImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pictoma::CBmpImage image;
    // The threshold comes from the input too, so the boundaries get exercised.
    image.SetThreshold(size > 0 ? data[size - 1] : 125);
    if (image.LoadFromMemory({data, size})) {
        const pictoma::Size s = image.GetSize();
        if (image.TakePicture().bytes.size() != pictoma::mono::ByteCount(s.width, s.height))
            std::abort();
    }
    return 0;
}
