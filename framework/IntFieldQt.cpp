#include "IntFieldQt.h"

#include <climits>

namespace pictoma {

namespace {

// Shows `prompt` and puts the focus back into `field` with its whole text selected.
void Prompt(QLineEdit& field, const std::string& prompt, MessageSink& messages) {
    messages.Message(prompt, MsgIcon::Warning, MsgButtons::Ok);
    field.setFocus(Qt::OtherFocusReason);
    field.selectAll();
}

}  // namespace

std::optional<int> ReadIntField(QLineEdit& field, int min, int max, MessageSink& messages) {
    const IntFieldResult result = ParseIntField(field.text().toStdString(), min, max);
    if (const int* value = std::get_if<int>(&result)) return *value;
    Prompt(field, std::get<FieldPrompt>(result).text, messages);
    return std::nullopt;
}

bool ExchangeIntField(QLineEdit& field, int& value, int min, int max, MessageSink& messages) {
    const std::optional<long long> number = ParseWholeNumber(field.text().toStdString());
    if (!number) {
        Prompt(field, kPromptInteger, messages);
        return false;
    }
    if (*number >= INT_MIN && *number <= INT_MAX) value = int(*number);
    if (*number < min || *number > max) {
        Prompt(field, RangePrompt(min, max), messages);
        return false;
    }
    return true;
}

void WriteIntField(QLineEdit& field, int value) {
    field.setText(QString::number(value));
}

}  // namespace pictoma
