#pragma once
// The platform's save-file dialog, shown as SaveDialogSettings ask.

#include <optional>

#include <QWidget>

#include "FileDialogs.h"

namespace pictoma {

// Shows the dialog modally over `parent`; the chosen path and the 1-based filter entry selected
// when the user confirmed, nullopt when not confirmed. A filter label that already shows its
// pattern in brackets is used as it is.
std::optional<SaveChoice> RunSaveFileDialog(QWidget* parent, const SaveDialogSettings& settings);

}  // namespace pictoma
