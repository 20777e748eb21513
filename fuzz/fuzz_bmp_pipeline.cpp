// Linux-only: memfd_create.
// libFuzzer target for the whole converter pipeline as the programs run it: the bytes become a
// file (a memory file descriptor) read through the file-backed reader, then cropped, resized and
// written in every text form. Checks what must hold for any input: the bytes match the size, no
// bit past the width is set after a conversion, and each text form carries the picture's size.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "BmpImage.h"
#include "Crop.h"
#include "IconSource.h"
#include "Resize.h"
#include "SourceText.h"

namespace {

using namespace pictoma;

void Check(bool ok) {
    if (!ok) std::abort();
}

// Every row's last byte holds no black pixel past the width.
void CheckTail(const Picture& p) {
    Check(p.bytes.size() == mono::ByteCount(p.width, p.height));
    const int used = p.width % 8;
    if (used == 0) return;
    const auto mask = std::uint8_t(0xFFu >> used);
    for (int y = 0; y < p.height; ++y)
        Check((p.bytes[std::size_t(y + 1) * std::size_t(p.BytesPerRow()) - 1] & mask) == 0);
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

void CheckTextForms(const Picture& p) {
    if (TooLargeForScreen(p.width, p.height)) return;
    const std::size_t values = p.bytes.size();
    const std::size_t rows = std::size_t(p.height);
    const std::string c = MakeSaveTextC(p);
    Check(Count(c, "0x") == values && Count(c, "\r\n") == rows - 1 && c.back() == '}');
    const std::string basic = MakeSaveTextBasic(p);
    Check(Count(basic, "chr$(") == values && Count(basic, "\r\n") == rows - 1);
    const auto [x, y] = CentredPosition(p.width, p.height);
    const std::string call = "show_image(" + std::to_string(x) + "," + std::to_string(y) + "," +
                             std::to_string(p.width) + "," + std::to_string(p.height) + ",icon)";
    const std::string ic = MakeIconSourceC(p, x, y);
    Check(Count(ic, "0x") == values && ic.size() >= call.size() &&
          ic.compare(ic.size() - call.size(), call.size(), call) == 0);
    const std::string ib = MakeIconSourceBasic(p, x, y);
    Check(Count(ib, "chr$(") == values && Count(ib, "show_image(") == rows);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = ::memfd_create("bmp", MFD_CLOEXEC);
    if (fd < 0) return 0;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) break;
        done += std::size_t(n);
    }
    CBmpImage image;
    image.SetFileName("/proc/self/fd/" + std::to_string(fd));
    // The last bytes choose the threshold and the selection, so the boundaries get exercised.
    const auto tail = [&](std::size_t k) { return size > k ? int(data[size - 1 - k]) : 0; };
    image.SetThreshold(tail(0));
    const bool ok = image.Load().ok();
    ::close(fd);
    if (!ok) return 0;

    Picture p = image.TakePicture();
    CheckTail(p);
    // A selection anywhere in and around the picture, then a resize within the dialog's limits.
    const PicturePoint a{tail(1) * p.width / 255 - 2, tail(2) * p.height / 255 - 5};
    const PicturePoint b{tail(3) * p.width / 255 + 2, tail(4) * p.height / 255 + 2};
    const Size before{p.width, p.height};
    if (Crop(p, a, b)) {
        Check(p.width % 8 == 0 && p.width <= mono::FirstColumnOf(mono::BytesPerRow(before.width)));
        Check(p.height <= before.height);
    }
    Check(p.bytes.size() == mono::ByteCount(p.width, p.height));
    CheckTextForms(p);
    const Picture r = Resize(p, {8 + tail(5) % 121, 1 + tail(6) % 64});
    CheckTail(r);
    CheckTextForms(r);
    return 0;
}
