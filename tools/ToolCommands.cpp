// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/ToolCommands.h"

#include "core/design/COrvaneDoc.h"
#include "platform/Message.h"
#include "tools/CBoxCalcDlg.h"
#include "tools/CDriverParamsDlg.h"
#include "tools/CFreqRangeDlg.h"
#include "tools/CPortCalcDlg.h"
#include "tools/CTSParamsDlg.h"
#include "view/COrvaneView.h"

namespace orvane {

namespace ToolCommands {
void OnDriverParams(COrvaneView& view) {
    SpeakerDesign& d = view.GetDocument().Design();
    CDriverParamsDlg dlg(&view);
    dlg.m_fs = d.m_fs;
    dlg.m_qts = d.m_qts;
    dlg.m_vas = d.m_vas;
    dlg.m_xmax = d.m_xmax;
    dlg.m_coneDiameter = d.m_coneDiameter;
    dlg.m_efficiency = d.m_efficiency;
    if (dlg.exec() != QDialog::Accepted)
        return;
    const SpeakerDesign before = d;
    d.m_fs = dlg.m_fs;
    d.m_qts = dlg.m_qts;
    d.m_vas = dlg.m_vas;
    d.m_xmax = dlg.m_xmax;
    d.m_coneDiameter = dlg.m_coneDiameter;
    d.m_efficiency = dlg.m_efficiency;
    view.GetDocument().MarkModifiedIfChanged(before);
}

void OnFreqRange(COrvaneView& view) {
    SpeakerDesign& d = view.GetDocument().Design();
    CFreqRangeDlg dlg(&view);
    dlg.m_lower = d.m_freqLow;
    dlg.m_upper = d.m_freqHigh;
    if (dlg.exec() == QDialog::Accepted && dlg.m_upper - dlg.m_lower > 10) {
        const SpeakerDesign before = d;
        d.m_freqLow = dlg.m_lower;
        d.m_freqHigh = dlg.m_upper;
        view.GetDocument().MarkModifiedIfChanged(before);
    }
    // The plot is drawn again, alone, over the range now in force.
    view.EraseAndRedraw();
}

void OnPortCalc(COrvaneView& view) {
    const SpeakerDesign& d = view.GetDocument().Design();
    const QString caption = QStringLiteral("Port Calculator");
    if (d.m_boxType == BoxType::Sealed) {
        ShowMessage(&view, QStringLiteral("Port calculator does not work with Sealed boxes"),
                    MessageKind::Tool, caption);
        return;
    }
    // Written so that a NaN volume or tuning is refused too.
    if (!(d.m_v1 > 0) || !(d.m_f1 > 0)) {
        ShowMessage(&view, QStringLiteral("Box volume and frequency must be greater than zero"),
                    MessageKind::Tool, caption);
        return;
    }
    CPortCalcDlg dlg(&view);
    dlg.m_f1 = d.m_f1;
    dlg.m_v1 = d.m_v1;
    dlg.m_f2 = d.m_f2;
    dlg.m_v2 = d.m_v2;
    dlg.m_xmax = d.m_xmax;
    dlg.m_coneDiameter = d.m_coneDiameter;
    dlg.exec();
}

void OnBoxCalc(COrvaneView& view) {
    CBoxCalcDlg dlg(&view);
    dlg.m_volume = view.GetDocument().Design().m_v1;
    dlg.exec();
}

void OnTsParams(COrvaneView& view) {
    SpeakerDesign& d = view.GetDocument().Design();
    CTSParamsDlg dlg(&view);
    dlg.m_tsFs = d.m_fs;
    if (dlg.exec() != QDialog::Accepted)
        return;
    const SpeakerDesign before = d;
    d.m_fs = dlg.m_tsFs;
    // Only results the dialog showed as numbers: a field still empty or
    // showing "n/a" leaves the design's value as it was.
    if (dlg.m_resultsShown && dlg.m_tsQts)
        d.m_qts = *dlg.m_tsQts;
    if (dlg.m_resultsShown && dlg.m_tsVas)
        d.m_vas = *dlg.m_tsVas;
    view.GetDocument().MarkModifiedIfChanged(before);
}

void InstallFirstDrawCheck(COrvaneView& view) {
    view.SetAfterDrawHook([](COrvaneView& v) {
        // Exactly zero, of either sign: a new design that has no driver yet.
        if (v.GetDocument().Design().m_fs == 0 && v.m_firstDraw) {
            v.m_firstDraw = false;
            OnDriverParams(v);
        }
    });
}

} // namespace ToolCommands

} // namespace orvane
