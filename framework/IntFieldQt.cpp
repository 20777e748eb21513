#include "IntFieldQt.h"

namespace pictoma {

std::optional<int> ReadIntField(QLineEdit& field, int min, int max, MessageSink& messages) {
    const IntFieldResult result = ParseIntField(field.text().toStdString(), min, max);
    if (const int* value = std::get_if<int>(&result)) return *value;
    messages.Message(std::get<FieldPrompt>(result).text, MsgIcon::Warning, MsgButtons::Ok);
    field.setFocus(Qt::OtherFocusReason);
    field.selectAll();
    return std::nullopt;
}

void WriteIntField(QLineEdit& field, int value) {
    field.setText(QString::number(value));
}

}  // namespace pictoma
