// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/measure/CurveExport.h"
#include "platform/CExchangeDialog.h"

#include <optional>

class QComboBox;
class QLineEdit;

namespace orvane {

// "Export Curves": what the curve file holds before its name is asked for:
// the response (FRD) or the impedance (ZMA), the points per octave, the
// range, the drive (the power, or the voltage across each driver's Re; the
// design's power when neither), the distance and the radiation space. The
// entries follow the field table's rules; OK also checks them together.
class CExportCurvesDlg : public CExchangeDialog {
    Q_OBJECT
public:
    // `designPower`: what an empty power stands for, shown in its entry.
    explicit CExportCurvesDlg(double designPower, QWidget* parent = nullptr);

    // In on opening (the defaults), out on OK.
    CurveExportOptions m_options;

protected:
    bool DoDataExchange(DataExchange::Direction direction) override;
    QLineEdit* InitialEntry() const override;

private:
    QComboBox* m_format;
    QLineEdit* m_pointsEdit;
    QLineEdit* m_fromEdit;
    QLineEdit* m_toEdit;
    QLineEdit* m_powerEdit;
    QLineEdit* m_voltageEdit;
    QLineEdit* m_distanceEdit;
    QComboBox* m_space;
};

} // namespace orvane
