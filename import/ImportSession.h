#pragma once
// One picture being imported: its source and the composited, scaled brightness levels of the last
// size and background asked for, so that a change of threshold, dither or invert re-runs only the
// convert step (the Import dialog's live preview, the document's threshold commands).

#include <memory>
#include <optional>

#include "Pipeline.h"

namespace pictoma {

class ImportSession {
public:
    // `source` must not be null.
    explicit ImportSession(std::shared_ptr<const PictureSource> source);

    const std::shared_ptr<const PictureSource>& Source() const { return m_source; }
    Size OriginalSize() const { return m_source->OriginalSize(); }
    Size ResultSize(const ImportOptions& options) const {
        return TargetSize(OriginalSize(), options);
    }

    // The whole result for `options`; the source is read again only when the target size or the
    // background differs from the previous call's.
    Picture Convert(const ImportOptions& options);
    // The top-left part of the same result that a window (by default the screen) shows.
    Picture Preview(const ImportOptions& options, Size window = {SCREEN_WIDTH, SCREEN_HEIGHT});

    // The levels for `options`, prepared when the size or the background changed.
    const GreyImage& Prepared(const ImportOptions& options);

private:
    struct Key {
        Size target;
        Background background;
        bool operator==(const Key&) const = default;
    };

    std::shared_ptr<const PictureSource> m_source;
    std::optional<Key> m_key;
    GreyImage m_grey;
};

}  // namespace pictoma
