#include "ImportSession.h"

namespace pictoma {

ImportSession::ImportSession(std::shared_ptr<const PictureSource> source)
    : m_source(std::move(source)) {}

const GreyImage& ImportSession::Prepared(const ImportOptions& options) {
    const Key key{ResultSize(options), options.background};
    if (m_key != key) {
        m_grey = {};  // the old levels go before the new ones are made
        const auto rows = m_source->Rows(key.target);
        if (rows) m_grey = PrepareGrey(*rows, key.target, key.background);
        m_key = key;
    }
    return m_grey;
}

Picture ImportSession::Convert(const ImportOptions& options) {
    return ConvertGrey(Prepared(options), options);
}

Picture ImportSession::Preview(const ImportOptions& options, Size window) {
    return ConvertGreyWindow(Prepared(options), options, window);
}

}  // namespace pictoma
