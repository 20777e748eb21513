#pragma once
// Integer fields of dialogs: the exchange between an int and a line edit, with the framework's
// prompts (IntField.h) when the typed text is not a whole number in range.

#include <optional>

#include <QLineEdit>

#include "IntField.h"
#include "Messages.h"

namespace pictoma {

// Reads `field` as an int in min..max: returns the value, or shows the framework's prompt through
// `messages` (warning icon, OK), gives `field` the focus with all its text selected, and returns
// nullopt so the caller keeps its dialog open.
std::optional<int> ReadIntField(QLineEdit& field, int min, int max, MessageSink& messages);

// Writes `value` into `field` in decimal.
void WriteIntField(QLineEdit& field, int value);

}  // namespace pictoma
