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

// The exchange that stores before it checks: a whole number that fits an int goes into `value`
// even when it lies outside min..max, and then the range prompt is shown all the same (a dialog
// that regenerates its output from every edit shows what was typed). Returns false, after the
// prompt with the focus and whole text in `field`, when the text is not an integer or is out of
// range; `value` keeps its previous value when the text is not an integer.
bool ExchangeIntField(QLineEdit& field, int& value, int min, int max, MessageSink& messages);

// Writes `value` into `field` in decimal.
void WriteIntField(QLineEdit& field, int value);

}  // namespace pictoma
