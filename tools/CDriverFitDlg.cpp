// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CDriverFitDlg.h"

#include "core/units/Units.h"
#include "platform/Message.h"
#include "platform/QtDrawSurface.h"
#include "platform/UnitChoice.h"
#include "tools/DialogRows.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>
#include <limits>
#include <numbers>

namespace orvane {

namespace {

using UnitChoice::Quantity;

// A value the fit may lack (NaN) shows as "n/a".
QString Value(const char* format, double value) {
    return std::isfinite(value) ? QString::asprintf(format, value) : QStringLiteral("n/a");
}

double Or(const std::optional<double>& value, double scale = 1) {
    return value ? *value * scale : std::numeric_limits<double>::quiet_NaN();
}

} // namespace

ImpedanceFitChart::ImpedanceFitChart(QWidget* parent) : QWidget(parent) {
    const int line = fontMetrics().height();
    setMinimumSize(line * 30, line * 16);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void ImpedanceFitChart::SetTraces(std::vector<FitTrace> traces) {
    m_traces = std::move(traces);
    update();
}

void ImpedanceFitChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QtDrawSurface surface(painter);
    DrawImpedanceFit(surface, width(), height(), m_traces);
}

CDriverFitDlg::CDriverFitDlg(QWidget* parent) : CExchangeDialog(parent) {
    setWindowTitle(QStringLiteral("Driver from Impedance"));
    setModal(true);
    m_fileDialog = [this](const QString& title) {
        return QFileDialog::getOpenFileName(
            this, title, QString(),
            QStringLiteral("Impedance curves (*.zma *.txt *.csv *.dat);;All files (*)"));
    };

    auto* entries = new QGridLayout;
    const QString titles[2] = {QStringLiteral("Impedance in free air"),
                               QStringLiteral("Second curve")};
    for (int i = 0; i < 2; ++i) {
        m_fileFields[i] =
            DialogRows::MakeResultField(this, i == 0 ? "file" : "secondFile", true, 30);
        QPushButton* browse = DialogRows::MakeButton(this, QStringLiteral("Open…"), false);
        browse->setObjectName(i == 0 ? "openFile" : "openSecondFile");
        connect(browse, &QPushButton::clicked, this, [this, i, title = titles[i]] {
            const QString path = m_fileDialog(title);
            if (!path.isEmpty())
                LoadCurve(i, path);
        });
        const int row = i == 0 ? 0 : 4;
        entries->addWidget(new QLabel(titles[i]), row, 0);
        entries->addWidget(m_fileFields[i], row, 1, 1, 2);
        entries->addWidget(browse, row, 3);
    }
    m_reEdit = DialogRows::AddEntry(entries, 1, 0,
                                    QStringLiteral("Re, ohms (empty: from the curve)"), "re");
    m_diameterEdit =
        DialogRows::AddEntry(entries, 2, 0,
                             UnitChoice::Labelled(QStringLiteral("Cone diameter"), Quantity::Length,
                                                  QStringLiteral("Cone diameter (in)")),
                             "coneDiameter");
    m_secondChoice = new QComboBox;
    m_secondChoice->setObjectName("second");
    m_secondChoice->addItems({QStringLiteral("No second curve"),
                              QStringLiteral("Second curve with added mass"),
                              QStringLiteral("Second curve in a test box")});
    entries->addWidget(m_secondChoice, 3, 0, 1, 2);
    m_massEdit = DialogRows::AddEntry(entries, 5, 0, QStringLiteral("Added mass (g)"), "mass");
    m_boxEdit =
        DialogRows::AddEntry(entries, 6, 0,
                             UnitChoice::Labelled(QStringLiteral("Test box"), Quantity::Volume,
                                                  QStringLiteral("Test box (ft^3)")),
                             "testBox");
    entries->setColumnStretch(2, 1);

    m_chart = new ImpedanceFitChart(this);
    m_results = new QPlainTextEdit(this);
    m_results->setObjectName("results");
    m_results->setReadOnly(true);
    m_results->setMinimumWidth(fontMetrics().horizontalAdvance(QString(26, 'x')));
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_chart, 1);
    middle->addWidget(m_results);

    m_use = DialogRows::MakeButton(this, QStringLiteral("Use"), true);
    m_use->setObjectName("use");
    m_use->setEnabled(false);
    QPushButton* cancel = DialogRows::MakeButton(this, QStringLiteral("Cancel"), false);
    connect(m_use, &QPushButton::clicked, this, &CDriverFitDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CDriverFitDlg::reject);
    m_addToLibrary = DialogRows::MakeButton(this, QStringLiteral("Add to &Library…"), false);
    m_addToLibrary->setObjectName("addToLibrary");
    m_addToLibrary->setEnabled(false);
    m_addToLibrary->hide();
    connect(m_addToLibrary, &QPushButton::clicked, this, [this] {
        if (m_fit && m_add)
            m_add(FittedEntry());
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_addToLibrary);
    buttons->addStretch(1);
    buttons->addWidget(m_use);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(entries);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);

    for (QLineEdit* entry : {m_reEdit, m_diameterEdit, m_massEdit, m_boxEdit})
        connect(entry, &QLineEdit::textChanged, this, &CDriverFitDlg::Refit);
    connect(m_secondChoice, &QComboBox::currentIndexChanged, this, &CDriverFitDlg::Refit);
}

bool CDriverFitDlg::DoDataExchange(DataExchange::Direction direction) {
    DataExchange dx(direction, this);
    dx.OptionalNumber(m_reEdit, m_re, 0.1, 1000)
        .OptionalNumber(m_diameterEdit, m_coneDiameter, Quantity::Length)
        .Number(m_massEdit, m_addedMass)
        .Number(m_boxEdit, m_testBox, Quantity::Volume);
    if (direction == DataExchange::Direction::Display)
        m_secondChoice->setCurrentIndex(static_cast<int>(m_second));
    else
        m_second = static_cast<SecondMeasurement>(m_secondChoice->currentIndex());
    return dx.Ok();
}

bool CDriverFitDlg::LoadCurve(int which, const QString& path) {
    const Result<ImpedanceCurve, CurveProblem> curve =
        ReadImpedanceFile(QFile::encodeName(path).toStdString());
    if (!curve) {
        ShowMessage(this, QString::fromStdString(curve.Message()));
        return false;
    }
    m_curves[which] = *curve;
    m_fileFields[which]->setText(path);
    Refit();
    return true;
}

void CDriverFitDlg::Refit() {
    // An entry that does not read has said so; the fit goes on with the rest.
    // Before the first showing the fields are still empty: the members hold
    // the entries.
    if (isVisible())
        DoDataExchange(DataExchange::Direction::Read);
    m_fit.reset();
    std::vector<FitTrace> traces;
    QString text;
    if (m_curves[0]) {
        FitRequest request;
        request.re = m_re;
        if (m_coneDiameter && *m_coneDiameter > 0) {
            const double r = Units::kEffectiveRadiusShare * *m_coneDiameter * Units::kMetresPerInch;
            request.sd = std::numbers::pi * r * r;
        }
        if (m_second != SecondMeasurement::None && m_curves[1]) {
            request.second = m_second;
            request.secondCurve = &*m_curves[1];
            request.addedMass = m_addedMass / 1000;
            request.testBox = m_testBox * Units::kCubicMetresPerCubicFoot;
        }
        Result<DriverFit, FitProblem> fit = FitDriver(*m_curves[0], request);
        if (fit) {
            m_fit = *std::move(fit);
        } else {
            text = QString::fromStdString(fit.Message());
        }
    }
    if (m_fit) {
        const ResonanceFit& r = m_fit->freeAir;
        const double vas = UnitChoice::ToDisplay(
            Quantity::Volume, Or(m_fit->vas, 1 / Units::kCubicMetresPerCubicFoot));
        text = QStringLiteral("Fs %1 Hz\nRe %2 \u03a9\nQms %3\nQes %4\nQts %5\nLe %6 mH\n")
                   .arg(Value("%.2f", r.fs), Value("%.2f", r.re), Value("%.3f", r.qms),
                        Value("%.3f", r.qes), Value("%.3f", r.qts), Value("%.3f", Or(r.le, 1000)));
        text += QStringLiteral("%1 %2\nSd %3 cm\u00b2\nMms %4 g\nCms %5 mm/N\nBl %6 T\u00b7m\n"
                               "\u03b70 %7 %\nFit error %8 %\n")
                    .arg(UnitChoice::Labelled(QStringLiteral("Vas"), Quantity::Volume,
                                              QStringLiteral("Vas (ft^3)")),
                         Value("%.3f", vas), Value("%.1f", Or(m_fit->sd, 1e4)),
                         Value("%.2f", Or(m_fit->mms, 1000)), Value("%.3f", Or(m_fit->cms, 1000)),
                         Value("%.2f", Or(m_fit->bl)), Value("%.3f", Or(m_fit->eta0, 100)),
                         Value("%.2f", r.fitError));
        for (const std::string& w : m_fit->warnings)
            text += "\n" + QString::fromStdString(w);
        traces.push_back({&*m_curves[0], &m_fit->freeAir});
        if (m_fit->second)
            traces.push_back({&*m_curves[1], &*m_fit->second});
    } else {
        for (const std::optional<ImpedanceCurve>& c : m_curves) {
            if (c)
                traces.push_back({&*c, nullptr});
        }
    }
    m_massEdit->setEnabled(m_second == SecondMeasurement::AddedMass);
    m_boxEdit->setEnabled(m_second == SecondMeasurement::TestBox);
    m_results->setPlainText(text);
    m_chart->SetTraces(std::move(traces));
    m_use->setEnabled(m_fit.has_value());
    m_addToLibrary->setEnabled(m_fit.has_value());
}

void CDriverFitDlg::SetAddToLibrary(AddToLibrary add) {
    m_add = std::move(add);
    m_addToLibrary->setVisible(static_cast<bool>(m_add));
}

DriverEntry CDriverFitDlg::FittedEntry() const {
    DriverEntry e;
    if (!m_fit)
        return e;
    const ResonanceFit& r = m_fit->freeAir;
    e.fs = r.fs;
    e.qts = r.qts;
    e.qes = r.qes;
    e.re = r.re;
    if (r.le && *r.le > 0)
        e.le = *r.le * 1000;
    if (m_fit->vas)
        e.vas = *m_fit->vas / Units::kCubicMetresPerCubicFoot;
    if (m_fit->mms)
        e.mms = *m_fit->mms * 1000;
    if (m_coneDiameter && *m_coneDiameter > 0)
        e.coneDiameter = m_coneDiameter;
    return e;
}

QLineEdit* CDriverFitDlg::InitialEntry() const {
    return m_reEdit;
}

} // namespace orvane
