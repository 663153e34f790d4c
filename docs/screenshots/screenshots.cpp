// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the README's offscreen pictures: each tool dialog, filled with a
// typical design, into <folder>/dialog-<name>.png, and a design window after
// two plots into <folder>/design-window.png. Run by hand when a layout
// changes: scripts/screenshots (or `cmake --build build --target docs`).
#include "core/chain/Stages.h"
#include "core/measure/CurveExport.h"
#include "core/units/Units.h"
#include "tests/support/ReferenceDesigns.h"
#include "tests/support/ViewHost.h"
#include "tools/CAlignmentDlg.h"
#include "tools/CAnalysisDlg.h"
#include "tools/CBoxCalcDlg.h"
#include "tools/CBuildDlg.h"
#include "tools/CDriverFitDlg.h"
#include "tools/CDriverParamsDlg.h"
#include "tools/CElectricalDlg.h"
#include "tools/CExportCurvesDlg.h"
#include "tools/CFreqRangeDlg.h"
#include "tools/CPortCalcDlg.h"
#include "tools/CRadiatorDlg.h"
#include "tools/CSignalChainDlg.h"
#include "tools/CTSParamsDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextStream>

#include <cmath>
#include <cstdio>
#include <random>

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

// A driver's impedance as a jig would measure it: the analysis' curve (Fs,
// Qms 5, Qes 0.4, Re 6 Ω, Le 0.5 mH, in free air) with 1 % noise on |Z|.
QString MeasuredCurve(const QDir& folder, const char* name, double fs, double q) {
    SpeakerDesign d;
    d.m_fs = fs;
    d.m_qts = 5 * q * 0.4 * q / (5 * q + 0.4 * q);
    d.m_vas = 50 / Units::kLitresPerCubicFoot;
    d.m_coneDiameter = 7.9;
    d.m_v1 = 10000;
    d.m_extras.qes = 0.4 * q;
    d.m_extras.re = 6;
    d.m_extras.le = 0.5;
    CurveExportOptions o;
    o.format = CurveFormat::Zma;
    std::string text = *CurveFileText(d, o);
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 0.01);
    QString noisy;
    for (const QString& line : QString::fromStdString(text).split('\n')) {
        const QStringList items = line.split(' ');
        noisy += items.size() == 3 && !line.startsWith('*')
                     ? QStringLiteral("%1 %2 %3\n")
                           .arg(items[0])
                           .arg(items[1].toDouble() * (1 + noise(random)))
                           .arg(items[2])
                     : line + '\n';
    }
    const QString path = folder.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(noisy.toUtf8());
    return path;
}

// The fit of a measured driver with 20 g added for its size.
bool SaveDriverFit(const QDir& folder) {
    QTemporaryDir curves;
    const QDir dir(curves.path());
    // 20 g on Mms 38.264 g lowers Fs by √(38.264/58.264) and raises both Qs.
    const double grown = std::sqrt(58.264 / 38.264);
    const QString free = MeasuredCurve(dir, "free.zma", 30, 1);
    const QString mass = MeasuredCurve(dir, "mass.zma", 30 / grown, grown);
    CDriverFitDlg fit;
    fit.m_re = 6;
    fit.m_coneDiameter = 7.9;
    fit.m_addedMass = 20;
    fit.m_second = SecondMeasurement::AddedMass;
    fit.SetAddToLibrary([](const DriverEntry&) {});
    fit.show();
    fit.LoadCurve(0, free);
    fit.LoadCurve(1, mass);
    return Save(fit, folder, "driver-from-impedance");
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

// A vented subwoofer behind a subsonic filter and a Linkwitz transform, in
// a car's cabin: its chain and its SPL.
SpeakerDesign ChainedSubwoofer() {
    SpeakerDesign d = AnalysedDesign(BoxKind::Vented);
    d.m_freqLow = 10;
    d.m_freqHigh = 500;
    SignalChain& c = d.m_extras.chain;
    for (const char* text : {"hp:bw4:18", "lowshelf:40:0.707:4", "lp:lr4:80"})
        c.stages.push_back(*ParseStage(text));
    c.roomGainFc = 40;
    c.roomGainMax = 12;
    c.voltage = 10;
    return d;
}

bool SaveChainWindows(const QDir& folder) {
    bool ok = true;
    for (const Graph graph : {Graph::Chain, Graph::Spl}) {
        ViewHost host(Starting(ChainedSubwoofer()));
        host.view->OnAmplitude(5);
        host.view->OnGraph(graph);
        host.Plot(COrvaneView::Field::V1, QStringLiteral("2"));
        host.Edit(COrvaneView::Field::V1)->clearFocus();
        host.view->repaint();
        const QString path = folder.filePath(
            QStringLiteral("chain-%1.png").arg(QString::fromLatin1(GraphName(graph).data())));
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
    radiator.SetLibraryPick([](const DriverEntry&) { return std::optional<DriverEntry>(); });
    ok = Save(radiator, folder, "passive-radiator") && ok;

    SpeakerDesign built = AnalysedDesign(BoxKind::Vented);
    built.m_extras.sheetLength = 48;
    built.m_extras.sheetWidth = 24;
    CBuildDlg build(built);
    ok = Save(build, folder, "build") && ok;

    CExportCurvesDlg curves(1);
    ok = Save(curves, folder, "export-curves") && ok;

    const SpeakerDesign chained = ChainedSubwoofer();
    CSignalChainDlg chain;
    chain.m_voltage = chained.m_extras.chain.voltage;
    chain.m_ampPower = 500;
    chain.m_stages = chained.m_extras.chain.stages;
    chain.m_roomGainFc = chained.m_extras.chain.roomGainFc;
    chain.m_roomGainMax = chained.m_extras.chain.roomGainMax;
    ok = Save(chain, folder, "signal-chain") && ok;

    ok = SaveDesignWindow(folder) && ok;
    ok = SaveChainWindows(folder) && ok;
    ok = SaveDriverFit(folder) && ok;
    ok = SaveRadiatorWindows(folder) && ok;

    return ok ? 0 : 1;
}
