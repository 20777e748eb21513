#include "SourceText.h"

#include "SourceRows.h"

namespace pictoma {

std::string MakeSaveTextC(const Picture& picture) {
    std::string text = "str[]={";
    AppendSourceRows(text, picture, {SourceValue::Hex, ",", ",\r\n", "}"});
    return text;
}

std::string MakeSaveTextBasic(const Picture& picture) {
    std::string text = "str0$=";
    AppendSourceRows(text, picture, {SourceValue::Chr, "+", "\r\n", "", "str_"});
    return text;
}

}  // namespace pictoma
