#pragma once
// The Comm Properties dialog: the port, the data rate and whether an infrared transceiver is on
// the port.

#include <QDialog>
#include <optional>
#include <vector>

#include "Link.h"
#include "PortDevice.h"

class QCheckBox;
class QComboBox;

namespace vantrel {

class CommPropertiesDlg final : public QDialog {
    Q_OBJECT
public:
    // A dialog preset from `link`, listing the system's ports.
    explicit CommPropertiesDlg(const LinkSettings& link, QWidget* parent = nullptr);
    // The same listing `choices`: COM1..COM6 first, then devices. A device in `link` that is
    // not listed is shown as typed.
    CommPropertiesDlg(const LinkSettings& link, std::vector<PortChoice> choices,
                      QWidget* parent = nullptr);
    // The settings as shown now: the port field (an entry, "COM<n>" or a typed device), the
    // selected rate and the infrared flag.
    LinkSettings Settings() const;
    // Shows the dialog modally; the confirmed settings, or nullopt after Cancel.
    static std::optional<LinkSettings> Ask(const LinkSettings& link, QWidget* parent = nullptr);
    static std::optional<LinkSettings> Ask(const LinkSettings& link,
                                           std::vector<PortChoice> choices,
                                           QWidget* parent = nullptr);

private:
    void OnInfraredClicked();

    std::vector<PortChoice> m_choices;

    QComboBox* m_portList;
    QComboBox* m_rateList;
    QCheckBox* m_infraredCheck;
    bool m_infrared;
};

}  // namespace vantrel
