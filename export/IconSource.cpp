#include "IconSource.h"

#include "SourceRows.h"

namespace pictoma {

std::string MakeIconSourceC(const Picture& picture, int x, int y) {
    std::string text = "char icon[]={\r\n";
    AppendSourceRows(text, picture, {SourceValue::Hex, ",", ", \r\n", "};\r\n"});
    text += "show_image(";
    for (int v : {x, y, picture.width, picture.height}) {
        AppendInt(text, v);
        text += ',';
    }
    text += "icon)";
    return text;
}

std::string MakeIconSourceBasic(const Picture& picture, int x, int y) {
    std::string text = "icon_0$=";
    AppendSourceRows(text, picture, {SourceValue::Chr, "+", "\r\n", "\r\n", "icon_"});
    for (int j = 0; j < picture.height; ++j) {
        text += "show_image(";
        for (int v : {x, y + j, picture.width, 1}) {
            AppendInt(text, v);
            text += ',';
        }
        text += "icon_";
        AppendInt(text, j);
        text += "$)\r\n";
    }
    return text;
}

}  // namespace pictoma
