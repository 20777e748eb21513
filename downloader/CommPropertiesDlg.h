#pragma once
// The Comm Properties dialog: the port, the data rate and whether an infrared transceiver is on
// the port.

#include <QDialog>
#include <optional>

#include "Link.h"

class QCheckBox;
class QComboBox;

namespace vantrel {

class CommPropertiesDlg final : public QDialog {
    Q_OBJECT
public:
    // A dialog preset from `link`.
    explicit CommPropertiesDlg(const LinkSettings& link, QWidget* parent = nullptr);
    // The settings as shown now: the selected list items and the infrared flag.
    LinkSettings Settings() const;
    // Shows the dialog modally; the confirmed settings, or nullopt after Cancel.
    static std::optional<LinkSettings> Ask(const LinkSettings& link, QWidget* parent = nullptr);

private:
    void OnInfraredClicked();

    QComboBox* m_portList;
    QComboBox* m_rateList;
    QCheckBox* m_infraredCheck;
    bool m_infrared;
};

}  // namespace vantrel
