// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/library/DriverEntry.h"
#include "platform/CExchangeDialog.h"

#include <cstdint>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orvane {

// "Passive Radiator Parameters": each radiator's Fs, Vas, Sd (or its
// diameter), Qms and Xmax, their number and the mass added to each; a target
// tuning and the mass that reaches it; and the tuning and build-rule figures
// of the values as typed, on the design's box. "Library…" fills Fs, Vas, Sd,
// Qms and Xmax from a radiator of the driver library; they are kept only on
// OK, as what is typed.
class CRadiatorDlg : public CExchangeDialog {
    Q_OBJECT
public:
    explicit CRadiatorDlg(const SpeakerDesign& design, QWidget* parent = nullptr);

    // Picks a radiator from the library, offered the values as typed (for
    // adding them); nothing when the user picked none. Without it there is
    // no "Library…" button.
    using LibraryPick = std::function<std::optional<DriverEntry>(const DriverEntry& typed)>;
    void SetLibraryPick(LibraryPick pick);
    // Fills the radiator's values from a library entry.
    void UseEntry(const DriverEntry& entry);

    std::optional<double> m_fs;
    std::optional<double> m_vas;      // ft3
    std::optional<double> m_sd;       // in2
    std::optional<double> m_diameter; // in
    std::optional<double> m_qms;
    std::optional<double> m_xmax; // in
    int32_t m_count = 1;
    double m_mass = 0;            // g
    std::optional<double> m_tune; // Hz

protected:
    bool DoDataExchange(DataExchange::Direction direction) override;
    QLineEdit* InitialEntry() const override;

private:
    // The design with the values as typed; what cannot be read stays unset.
    SpeakerDesign Typed() const;
    void ShowFigures();
    void FindMass();
    void OnLibrary();

    SpeakerDesign m_design;
    QLineEdit* m_fsEdit;
    QLineEdit* m_vasEdit;
    QLineEdit* m_sdEdit;
    QLineEdit* m_diameterEdit;
    QLineEdit* m_qmsEdit;
    QLineEdit* m_xmaxEdit;
    QLineEdit* m_countEdit;
    QLineEdit* m_massEdit;
    QLineEdit* m_tuneEdit;
    QLabel* m_figures;
    QPushButton* m_libraryButton;
    LibraryPick m_libraryPick;
};

} // namespace orvane
