// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the README's offscreen pictures: each tool dialog, filled with a
// typical design, into <folder>/dialog-<name>.png, and a design window after
// two plots into <folder>/design-window.png. Run by hand when a layout
// changes: scripts/screenshots (or `cmake --build build --target docs`).
#include "tests/support/ReferenceDesigns.h"
#include "tests/support/ViewHost.h"
#include "tools/CAlignmentDlg.h"
#include "tools/CAnalysisDlg.h"
#include "tools/CBoxCalcDlg.h"
#include "tools/CDriverParamsDlg.h"
#include "tools/CElectricalDlg.h"
#include "tools/CFreqRangeDlg.h"
#include "tools/CPortCalcDlg.h"
#include "tools/CRadiatorDlg.h"
#include "tools/CTSParamsDlg.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTextStream>

#include <cstdio>

using namespace orvane;

namespace {

void TypeInto(QDialog& dlg, const char* name, const QString& text) {
    if (auto* edit = dlg.findChild<QLineEdit*>(QString::fromLatin1(name))) {
        edit->selectAll();
        edit->insert(text);
    }
}

bool Save(QDialog& dlg, const QDir& folder, const char* name) {
    dlg.show();
    QApplication::processEvents();
    const QString path = folder.filePath(QStringLiteral("dialog-%1.png").arg(name));
    const bool ok = dlg.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "failed", qPrintable(path));
    dlg.hide();
    return ok;
}

// The vented example after two plots (V1 2, then 4 ft³), as the window shows it.
bool SaveDesignWindow(const QDir& folder) {
    ViewHost host(Starting(ReferenceDriver()));
    host.view->OnBoxType(BoxKind::Vented);
    host.Plot(COrvaneView::Field::V1, QStringLiteral("2"));
    host.Plot(COrvaneView::Field::V1, QStringLiteral("4"));
    host.Edit(COrvaneView::Field::V1)->clearFocus();
    host.view->repaint();
    const QString path = folder.filePath(QStringLiteral("design-window.png"));
    const bool ok = host.view->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "failed", qPrintable(path));
    return ok;
}

// The passive-radiator example, plotted, as its response and its excursion.
bool SaveRadiatorWindows(const QDir& folder) {
    bool ok = true;
    for (const Graph graph : {Graph::Response, Graph::Excursion}) {
        SpeakerDesign d = AnalysedDesign(BoxKind::PassiveRadiator);
        d.m_freqLow = 10;
        d.m_freqHigh = 500;
        ViewHost host(Starting(d));
        host.view->OnGraph(graph);
        host.Plot(COrvaneView::Field::V1, QStringLiteral("2"));
        host.Edit(COrvaneView::Field::V1)->clearFocus();
        host.view->repaint();
        const QString path = folder.filePath(
            QStringLiteral("radiator-%1.png").arg(QString::fromLatin1(GraphName(graph).data())));
        const bool saved = host.view->grab().save(path);
        std::printf("%s %s\n", saved ? "wrote" : "failed", qPrintable(path));
        ok = saved && ok;
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    bool ok = true;

    const SpeakerDesign reference = WithOutputFigures(ReferenceDriver());
    CDriverParamsDlg driver;
    driver.m_fs = reference.m_fs;
    driver.m_qts = reference.m_qts;
    driver.m_vas = reference.m_vas;
    driver.m_coneDiameter = reference.m_coneDiameter;
    driver.m_xmax = reference.m_xmax;
    driver.m_efficiency = reference.m_efficiency;
    ok = Save(driver, folder, "driver-parameters") && ok;

    CFreqRangeDlg range;
    range.m_lower = 20;
    range.m_upper = 2000;
    ok = Save(range, folder, "frequency-range") && ok;

    CPortCalcDlg port;
    port.m_v1 = 2;
    port.m_f1 = 35;
    port.m_v2 = 1.5;
    port.m_f2 = 40;
    port.m_coneDiameter = 10;
    port.m_xmax = 0.25;
    port.show();
    TypeInto(port, "ports", "2");
    TypeInto(port, "diameter", "3");
    ok = Save(port, folder, "port-calculator") && ok;

    CBoxCalcDlg box;
    box.m_volume = 2.348;
    ok = Save(box, folder, "box-calculator") && ok;

    CTSParamsDlg ts;
    ts.m_tsFs = 30;
    ts.show();
    TypeInto(ts, "re", "6");
    TypeInto(ts, "zmax", "54");
    TypeInto(ts, "f1", "20");
    TypeInto(ts, "f2", "45");
    TypeInto(ts, "fc", "60");
    TypeInto(ts, "vb", "1");
    ok = Save(ts, folder, "ts-parameters") && ok;

    CAlignmentDlg alignments;
    alignments.m_driver = {30, 0.4, 3, 1};
    alignments.m_volume = 3;
    ok = Save(alignments, folder, "alignments") && ok;

    CElectricalDlg electrical(reference);
    electrical.m_name = "Acme W10";
    electrical.m_re = 6;
    electrical.m_le = 0.8;
    electrical.m_pe = 100;
    ok = Save(electrical, folder, "electrical-parameters") && ok;

    CAnalysisDlg analysis(BoxKind::Bandpass6);
    analysis.m_power = 100;
    analysis.m_portDiameter = 3;
    analysis.m_port2Diameter = 4;
    analysis.m_ports2 = 2;
    ok = Save(analysis, folder, "analysis-settings") && ok;

    const SpeakerDesign radiated = AnalysedDesign(BoxKind::PassiveRadiator);
    CRadiatorDlg radiator(radiated);
    const DesignExtras& x = radiated.m_extras;
    radiator.m_fs = x.prFs;
    radiator.m_vas = x.prVas;
    radiator.m_sd = x.prSd;
    radiator.m_qms = x.prQms;
    radiator.m_xmax = x.prXmax;
    radiator.m_count = 2;
    radiator.m_tune = 28;
    ok = Save(radiator, folder, "passive-radiator") && ok;

    ok = SaveDesignWindow(folder) && ok;
    ok = SaveRadiatorWindows(folder) && ok;

    return ok ? 0 : 1;
}
