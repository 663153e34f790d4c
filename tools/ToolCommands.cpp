// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/ToolCommands.h"

#include "core/design/COrvaneDoc.h"
#include "core/design/Fields.h"
#include "core/library/DriverDesign.h"
#include "core/library/LibrarySession.h"
#include "core/measure/CurveExport.h"
#include "core/model/Acoustics.h"
#include "core/units/Units.h"
#include "platform/Message.h"
#include "tools/CAlignmentDlg.h"
#include "tools/CAnalysisDlg.h"
#include "tools/CBoxCalcDlg.h"
#include "tools/CBuildDlg.h"
#include "tools/CDriverFitDlg.h"
#include "tools/CDriverLibraryDlg.h"
#include "tools/CDriverParamsDlg.h"
#include "tools/CElectricalDlg.h"
#include "tools/CExportCurvesDlg.h"
#include "tools/CFreqRangeDlg.h"
#include "tools/CPortCalcDlg.h"
#include "tools/CRadiatorDlg.h"
#include "tools/CSignalChainDlg.h"
#include "tools/CTSParamsDlg.h"
#include "view/COrvaneView.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

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
    const DesignState before = view.State();
    d.m_fs = dlg.m_fs;
    d.m_qts = dlg.m_qts;
    d.m_vas = dlg.m_vas;
    d.m_xmax = dlg.m_xmax;
    d.m_coneDiameter = dlg.m_coneDiameter;
    d.m_efficiency = dlg.m_efficiency;
    view.Commit(QStringLiteral("Driver Parameters"), before);
}

namespace {

// A change of the extra values: one step, and the current graph drawn afresh.
void ExtrasChanged(COrvaneView& view, const QString& what, const DesignState& before) {
    if (view.GetDocument().Design().SameBits(before.design))
        return;
    view.EraseAndRedraw();
    view.Commit(what, before);
}

// A value with a default is stored once it differs from what is in force,
// so that OK on unchanged defaults adds nothing to the file.
template <class T> void StoreIfChanged(std::optional<T>& stored, T value, T fallback) {
    if (value != stored.value_or(fallback))
        stored = value;
}

} // namespace

void OnElectricalParams(COrvaneView& view) {
    SpeakerDesign& d = view.GetDocument().Design();
    CElectricalDlg dlg(d, &view);
    dlg.m_name = d.m_extras.name;
    dlg.m_re = d.m_extras.re;
    dlg.m_qes = d.m_extras.qes;
    dlg.m_le = d.m_extras.le;
    dlg.m_pe = d.m_extras.pe;
    dlg.m_wiring = d.m_extras.chain.wiring;
    dlg.m_coils = d.m_extras.chain.coils;
    dlg.m_coilWiring = d.m_extras.chain.coilWiring;
    if (dlg.exec() != QDialog::Accepted)
        return;
    const DesignState before = view.State();
    d.m_extras.name = dlg.m_name;
    d.m_extras.re = dlg.m_re;
    d.m_extras.qes = dlg.m_qes;
    d.m_extras.le = dlg.m_le;
    d.m_extras.pe = dlg.m_pe;
    d.m_extras.chain.wiring = dlg.m_wiring;
    d.m_extras.chain.coils = dlg.m_coils;
    d.m_extras.chain.coilWiring = dlg.m_coilWiring;
    ExtrasChanged(view, QStringLiteral("Electrical Parameters"), before);
}

void OnAnalysisSettings(COrvaneView& view) {
    SpeakerDesign& d = view.GetDocument().Design();
    DesignExtras& x = d.m_extras;
    CAnalysisDlg dlg(d.Kind(), &view);
    // Unset values show, and stay unset while left at, what is in force.
    const double power = *Fields::Info(FieldId::Power).fallback;
    const double ql = *Fields::Info(FieldId::Ql).fallback;
    dlg.m_power = x.power.value_or(power);
    dlg.m_ql = x.ql.value_or(ql);
    dlg.m_portDiameter = x.portDiameter;
    dlg.m_ports = x.ports.value_or(1);
    dlg.m_port2Diameter = x.port2Diameter;
    dlg.m_ports2 = x.ports2.value_or(1);
    if (dlg.exec() != QDialog::Accepted)
        return;
    const DesignState before = view.State();
    StoreIfChanged(x.power, dlg.m_power, power);
    StoreIfChanged(x.ql, dlg.m_ql, ql);
    x.portDiameter = dlg.m_portDiameter;
    StoreIfChanged<std::uint16_t>(x.ports, static_cast<std::uint16_t>(dlg.m_ports), 1);
    x.port2Diameter = dlg.m_port2Diameter;
    StoreIfChanged<std::uint16_t>(x.ports2, static_cast<std::uint16_t>(dlg.m_ports2), 1);
    ExtrasChanged(view, QStringLiteral("Analysis Settings"), before);
}

void OnSignalChain(COrvaneView& view) {
    SpeakerDesign& d = view.GetDocument().Design();
    DesignExtras& x = d.m_extras;
    SignalChain& c = x.chain;
    CSignalChainDlg dlg(&view);
    const double power = *Fields::Info(FieldId::Power).fallback;
    dlg.m_power = x.power.value_or(power);
    dlg.m_voltage = c.voltage;
    dlg.m_seriesResistance = c.seriesResistance;
    dlg.m_ampPower = c.ampPower;
    dlg.m_ampVoltage = c.ampVoltage;
    dlg.m_stages = c.stages;
    dlg.m_roomGainFc = c.roomGainFc;
    dlg.m_roomGainMax = c.roomGainMax;
    if (dlg.exec() != QDialog::Accepted)
        return;
    const DesignState before = view.State();
    StoreIfChanged(x.power, dlg.m_power, power);
    c.voltage = dlg.m_voltage;
    c.seriesResistance = dlg.m_seriesResistance;
    c.ampPower = dlg.m_ampPower;
    c.ampVoltage = dlg.m_ampVoltage;
    c.stages = dlg.m_stages;
    c.roomGainFc = dlg.m_roomGainFc;
    c.roomGainMax = dlg.m_roomGainMax;
    ExtrasChanged(view, QStringLiteral("Signal Chain"), before);
}

void OnRadiatorParams(COrvaneView& view, LibrarySession* session) {
    SpeakerDesign& d = view.GetDocument().Design();
    DesignExtras& x = d.m_extras;
    CRadiatorDlg dlg(d, &view);
    if (session != nullptr) {
        dlg.SetLibraryPick([session, &dlg](const DriverEntry& typed) -> std::optional<DriverEntry> {
            CDriverLibraryDlg library(*session, &dlg, DriverKind::Radiator);
            if (!library.LibraryProblem().isEmpty())
                ShowMessage(&dlg, library.LibraryProblem());
            library.m_currentDriver = typed;
            if (library.exec() != QDialog::Accepted)
                return std::nullopt;
            return library.m_chosen;
        });
    }
    dlg.m_fs = x.prFs;
    dlg.m_vas = x.prVas;
    dlg.m_sd = x.prSd;
    dlg.m_diameter = x.prDiameter;
    dlg.m_qms = x.prQms;
    dlg.m_xmax = x.prXmax;
    const double count = *Fields::Info(FieldId::PrCount).fallback;
    const double mass = *Fields::Info(FieldId::PrMass).fallback;
    dlg.m_count = static_cast<int>(x.prCount.value_or(static_cast<std::uint16_t>(count)));
    dlg.m_mass = x.prMass.value_or(mass);
    dlg.m_tune = x.prTune;
    if (dlg.exec() != QDialog::Accepted)
        return;
    const DesignState before = view.State();
    x.prFs = dlg.m_fs;
    x.prVas = dlg.m_vas;
    x.prSd = dlg.m_sd;
    x.prDiameter = dlg.m_diameter;
    x.prQms = dlg.m_qms;
    x.prXmax = dlg.m_xmax;
    StoreIfChanged<std::uint16_t>(x.prCount, static_cast<std::uint16_t>(dlg.m_count),
                                  static_cast<std::uint16_t>(count));
    StoreIfChanged(x.prMass, dlg.m_mass, mass);
    x.prTune = dlg.m_tune;
    ExtrasChanged(view, QStringLiteral("Passive Radiator Parameters"), before);
}

void OnFreqRange(COrvaneView& view) {
    SpeakerDesign& d = view.GetDocument().Design();
    CFreqRangeDlg dlg(&view);
    dlg.m_lower = d.m_freqLow;
    dlg.m_upper = d.m_freqHigh;
    const DesignState before = view.State();
    const bool applied = dlg.exec() == QDialog::Accepted && dlg.m_upper - dlg.m_lower > 10;
    if (applied) {
        d.m_freqLow = dlg.m_lower;
        d.m_freqHigh = dlg.m_upper;
    }
    // The plot is drawn again, alone, over the range now in force.
    view.EraseAndRedraw();
    if (applied)
        view.Commit(QStringLiteral("Frequency Range"), before);
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
    // The calculator starts from the ports the analysis has, where it has them.
    const std::pair<std::optional<double>, std::optional<std::uint16_t>> ports[2] = {
        {d.m_extras.portDiameter, d.m_extras.ports}, {d.m_extras.port2Diameter, d.m_extras.ports2}};
    for (std::size_t i = 0; i < 2; ++i) {
        if (ports[i].first && *ports[i].first > 0)
            dlg.m_analysisPorts[i] =
                CPortCalcDlg::Ports{*ports[i].first, ports[i].second.value_or(1)};
    }
    if (dlg.exec() != QDialog::Accepted || !(dlg.m_portDiameter > 0) || dlg.m_portCount < 1 ||
        dlg.m_portCount > 0xFFFF)
        return;
    if (ShowMessage(&view, QStringLiteral("Use these ports for the analysis?"),
                    MessageKind::Question, QString(),
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    SpeakerDesign& design = view.GetDocument().Design();
    const DesignState before = view.State();
    const auto count = static_cast<std::uint16_t>(dlg.m_portCount);
    if (dlg.RearChosen()) {
        design.m_extras.port2Diameter = dlg.m_portDiameter;
        StoreIfChanged<std::uint16_t>(design.m_extras.ports2, count, 1);
    } else {
        design.m_extras.portDiameter = dlg.m_portDiameter;
        StoreIfChanged<std::uint16_t>(design.m_extras.ports, count, 1);
    }
    ExtrasChanged(view, QStringLiteral("Use Ports"), before);
}

void OnBoxCalc(COrvaneView& view) {
    CBoxCalcDlg dlg(&view);
    dlg.m_volume = view.GetDocument().Design().m_v1;
    dlg.exec();
}

void OnBuild(COrvaneView& view, QPrinter* printer) {
    SpeakerDesign& d = view.GetDocument().Design();
    CBuildDlg dlg(d, &view, printer);
    if (dlg.exec() != QDialog::Accepted)
        return;
    const DesignState before = view.State();
    d.m_extras = dlg.m_design.m_extras;
    view.Commit(QStringLiteral("Build"), before);
}

void OnTsParams(COrvaneView& view) {
    SpeakerDesign& d = view.GetDocument().Design();
    CTSParamsDlg dlg(&view);
    dlg.m_tsFs = d.m_fs;
    if (dlg.exec() != QDialog::Accepted)
        return;
    const DesignState before = view.State();
    d.m_fs = dlg.m_tsFs;
    // Only results the dialog showed as numbers: a field still empty or
    // showing "n/a" leaves the design's value as it was.
    if (dlg.m_resultsShown && dlg.m_tsQts)
        d.m_qts = *dlg.m_tsQts;
    if (dlg.m_resultsShown && dlg.m_tsVas)
        d.m_vas = *dlg.m_tsVas;
    view.Commit(QStringLiteral("Use T/S Results"), before);
}

void OnAlignments(COrvaneView& view) {
    SpeakerDesign& d = view.GetDocument().Design();
    const Alignment::Driver driver{d.m_fs, d.m_qts, d.m_vas, d.m_driverCount};
    if (const Result<void, Alignment::Problem> checked = Alignment::CheckDriver(driver); !checked) {
        ShowMessage(&view, QString::fromStdString(checked.Message()), MessageKind::Tool,
                    QStringLiteral("Alignments"));
        return;
    }
    CAlignmentDlg dlg(&view);
    dlg.m_driver = driver;
    // Written so that a NaN volume starts from N Vas too.
    dlg.m_volume = d.m_v1 > 0 ? d.m_v1 : d.m_driverCount * d.m_vas;
    if (dlg.exec() != QDialog::Accepted)
        return;
    const DesignState before = view.State();
    d.m_boxType = std::string(BoxType::Name(dlg.m_kind));
    d.m_v1 = dlg.m_v1;
    d.m_f1 = dlg.m_f1;
    // The form shows the new box and plots it; the tuning counts as entered,
    // so the plot does not choose another. All of it is one step.
    view.FillFromDesign();
    view.MarkF1Entered();
    // Long figures show from their first digit.
    view.Form()->ShowFromStart();
    view.ApplyBoxType(dlg.m_kind);
    view.ReadAndPlot();
    view.Commit(QStringLiteral("Apply Alignment"), before);
}

void OnDriverLibrary(COrvaneView& view, LibrarySession& session) {
    SpeakerDesign& d = view.GetDocument().Design();
    CDriverLibraryDlg dlg(session, &view);
    if (!dlg.LibraryProblem().isEmpty())
        ShowMessage(&view, dlg.LibraryProblem());
    dlg.m_currentDriver = DriverFromDesign(d);
    dlg.m_currentName = d.m_extras.name;
    if (dlg.exec() != QDialog::Accepted || !dlg.m_chosen)
        return;
    const DesignState before = view.State();
    UseDriver(*dlg.m_chosen, d);
    view.EraseAndRedraw();
    view.Commit(QStringLiteral("Use Driver"), before);
}

void OnDriverFromImpedance(COrvaneView& view, const std::function<void(CDriverFitDlg&)>& prepare,
                           LibrarySession* session) {
    SpeakerDesign& d = view.GetDocument().Design();
    CDriverFitDlg dlg(&view);
    if (session != nullptr) {
        dlg.SetAddToLibrary([session, &dlg](const DriverEntry& fitted) {
            const Result<DriverLibrary*> library = session->Library();
            if (!library) {
                ShowMessage(&dlg, QString::fromStdString(library.Message()));
                return;
            }
            if (!(*library)->ReadOnlyReason().empty()) {
                ShowMessage(&dlg, QString::fromStdString(LibraryWriteMessage(
                                      session->Path(), (*library)->ReadOnlyReason())));
                return;
            }
            CDriverLibraryDlg::AddEntry(&dlg, **library, fitted, QStringLiteral("Add to Library"));
        });
    }
    dlg.m_re = d.m_extras.re;
    if (d.m_coneDiameter > 0)
        dlg.m_coneDiameter = d.m_coneDiameter;
    if (prepare)
        prepare(dlg);
    if (dlg.exec() != QDialog::Accepted || !dlg.Fit())
        return;
    const DriverFit& fit = *dlg.Fit();
    const ResonanceFit& r = fit.freeAir;
    const DesignState before = view.State();
    d.m_fs = r.fs;
    d.m_qts = r.qts;
    d.m_extras.qes = r.qes;
    d.m_extras.re = r.re;
    if (r.le && *r.le > 0)
        d.m_extras.le = *r.le * 1000;
    if (fit.vas)
        d.m_vas = *fit.vas / Units::kCubicMetresPerCubicFoot;
    if (dlg.m_coneDiameter)
        d.m_coneDiameter = *dlg.m_coneDiameter;
    view.EraseAndRedraw();
    view.Commit(QStringLiteral("Use Fitted Driver"), before);
}

void OnExportCurves(COrvaneView& view, const std::function<QString(CurveFormat)>& askPath,
                    const std::function<void(CExportCurvesDlg&)>& prepare) {
    const COrvaneDoc& doc = view.GetDocument();
    CExportCurvesDlg dlg(*Fields::Number(doc.Design(), FieldId::Power), &view);
    if (prepare)
        prepare(dlg);
    if (dlg.exec() != QDialog::Accepted)
        return;
    CurveExportOptions options = dlg.m_options;
    QString path = askPath(options.format);
    if (path.isEmpty())
        return;
    // A name typed without an ending gets the format's.
    if (!QFileInfo(path).fileName().contains(QLatin1Char('.')))
        path +=
            options.format == CurveFormat::Zma ? QStringLiteral(".zma") : QStringLiteral(".frd");
    options.designName = doc.Title();
    const FileResult written =
        ExportCurveFile(QFile::encodeName(path).toStdString(), doc.Design(), options);
    if (!written)
        ShowMessage(&view, QString::fromStdString(written.Message()));
}

void InstallFirstDrawCheck(COrvaneView& view) {
    QObject::connect(&view, &COrvaneView::drawn, &view, [&view] {
        if (view.TakeFirstDrawCheck())
            OnDriverParams(view);
    });
}

} // namespace ToolCommands

} // namespace orvane
