#pragma once
// Resize: scales a monochrome picture to a new size by whole-number factors, so that black detail
// thins out rather than smears when a picture is reduced.

#include "mono.h"

namespace pictoma {

// The picture scaled to newSize: output pixel (X, Y) covers source columns
// floor(X * W / newW) .. ceil((X + 1) * W / newW) - 1 and rows floor(Y * H / newH) ..
// ceil((Y + 1) * H / newH) - 1, and is black exactly when every one of them is black. This is what
// enlarging by pixel replication to the least common multiple of the sizes and then reducing by
// blocks that stay black only when wholly black gives, without building that intermediate picture.
// The bits after newW in each row's last byte are 0; source bits beyond W are never used. Works for
// any newSize of at least 1 x 1 (callers keep to the size dialog's limits); a source without pixels
// gives a white picture, rows missing from a short byte array count as white, and a newSize below
// 1 x 1 gives an empty picture.
Picture Resize(const Picture& source, Size newSize);

}  // namespace pictoma
