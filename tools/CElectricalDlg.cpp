// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/CElectricalDlg.h"

#include "core/chain/Stages.h"
#include "core/model/DriverValues.h"
#include "core/text/Printf.h"
#include "platform/Message.h"
#include "platform/NumericText.h"
#include "tools/DialogRows.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>

namespace orvane {

namespace {

// The one place that writes the derived figures and their units. A figure
// keeps its name, number and unit together (no-break spaces); a narrow
// dialog breaks the line only between figures.
QString DerivedFigures(const DriverValues& d, double efficiency) {
    std::string text = Printf("Qms %.2f   \u03b70 %.2f %%", d.qms, d.eta0 * 100);
    if (d.bl)
        text += Printf("   Bl %.2f T\u00b7m", *d.bl);
    text += Printf("   Mms %.1f g   Cms %.3f mm/N", d.mms * 1000, d.cms * 1000);
    // The analysis follows Qes; an efficiency that disagrees is worth a look.
    if (d.efficiencyMismatchDb)
        text += Printf("   Qes implies %.1f dB, not the entered %g dB",
                       efficiency + *d.efficiencyMismatchDb, efficiency);
    QString figures = QString::fromStdString(text);
    // Single blanks join a figure's parts; three separate the figures.
    figures.replace(QStringLiteral("   "), QStringLiteral("\t"));
    figures.replace(QLatin1Char(' '), QChar(0x00a0));
    figures.replace(QLatin1Char('\t'), QStringLiteral("   "));
    figures.replace(QStringLiteral("/"), QStringLiteral("\u2060/\u2060")); // no break at "mm/N"
    return figures;
}

// What a field holds as the user types: a number, or nothing.
std::optional<double> Typed(const QLineEdit* edit) {
    if (edit->text().trimmed().isEmpty())
        return std::nullopt;
    return NumericText::ScanNumber(edit->text());
}

// The voice-coil choices: one coil, or two in each CoilWiring.
constexpr const char* kCoilChoices[] = {"One", "Two in series", "Two in parallel",
                                        "Two, one driven"};

} // namespace

CElectricalDlg::CElectricalDlg(const SpeakerDesign& design, QWidget* parent)
    : CExchangeDialog(parent), m_design(design) {
    setWindowTitle(QStringLiteral("Electrical Parameters"));
    setModal(true);

    auto* driver = new QGroupBox(QStringLiteral("Driver"));
    auto* grid = new QGridLayout(driver);
    m_nameEdit = DialogRows::AddEntry(grid, 0, 0, FieldId::Name, 24);
    m_reEdit = DialogRows::AddEntry(grid, 1, 0, FieldId::Re);
    m_qesEdit = DialogRows::AddEntry(grid, 2, 0, FieldId::Qes);
    m_leEdit = DialogRows::AddEntry(grid, 3, 0, FieldId::Le);
    m_peEdit = DialogRows::AddEntry(grid, 4, 0, FieldId::Pe);
    grid->setColumnStretch(1, 1);

    auto* wiring = new QGroupBox(QStringLiteral("Wiring"));
    auto* wiringGrid = new QGridLayout(wiring);
    m_coilsBox = new QComboBox;
    m_coilsBox->setObjectName(QStringLiteral("coils"));
    for (const char* choice : kCoilChoices)
        m_coilsBox->addItem(QString::fromUtf8(choice));
    m_wiringBox = new QComboBox;
    m_wiringBox->setObjectName(QStringLiteral("wiring"));
    m_wiringBox->setEditable(true); // parallel, series, or S x P typed as "2x2"
    m_wiringBox->addItems({QStringLiteral("parallel"), QStringLiteral("series")});
    auto* coilsLabel = new QLabel(QStringLiteral("&Voice Coils"));
    coilsLabel->setBuddy(m_coilsBox);
    auto* wiringLabel = new QLabel(QStringLiteral("Drivers &Wired (parallel, series, SxP)"));
    wiringLabel->setBuddy(m_wiringBox);
    wiringGrid->addWidget(m_coilsBox, 0, 0);
    wiringGrid->addWidget(coilsLabel, 0, 1);
    wiringGrid->addWidget(m_wiringBox, 1, 0);
    wiringGrid->addWidget(wiringLabel, 1, 1);
    wiringGrid->setColumnStretch(1, 1);

    auto* derived = new QGroupBox(QStringLiteral("Derived"));
    auto* derivedLayout = new QVBoxLayout(derived);
    m_derived = new QLabel;
    m_derived->setObjectName(QStringLiteral("derived"));
    m_derived->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_derived->setWordWrap(true);
    m_derived->setMinimumWidth(DialogRows::FieldWidth(this, 52));
    derivedLayout->addWidget(m_derived);

    const DialogRows::OkCancelButtons buttons = DialogRows::OkCancel(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(driver);
    layout->addWidget(wiring);
    layout->addWidget(derived);
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogRows::SetTabOrder({m_nameEdit, m_reEdit, m_qesEdit, m_leEdit, m_peEdit, m_coilsBox,
                             m_wiringBox, buttons.ok, buttons.cancel});

    for (QLineEdit* edit : {m_reEdit, m_qesEdit, m_leEdit, m_peEdit})
        connect(edit, &QLineEdit::textChanged, this, [this] { UpdateDerived(); });
    connect(m_coilsBox, &QComboBox::currentIndexChanged, this, [this] { UpdateDerived(); });
}

bool CElectricalDlg::DoDataExchange(DataExchange::Direction direction) {
    DataExchange dx(direction, this);
    dx.Field(m_nameEdit, FieldId::Name, m_name)
        .Field(m_reEdit, FieldId::Re, m_re)
        .Field(m_qesEdit, FieldId::Qes, m_qes)
        .Field(m_leEdit, FieldId::Le, m_le)
        .Field(m_peEdit, FieldId::Pe, m_pe);
    if (!dx.Reading()) {
        const bool two = m_coils.value_or(1) == 2 && m_coilWiring.value_or(0) <= 2;
        m_coilsBox->setCurrentIndex(two ? 1 + m_coilWiring.value_or(0) : 0);
        m_wiringBox->setEditText(QString::fromStdString(WiringText(m_wiring.value_or(Wiring{}))));
        return dx.Ok();
    }
    if (!dx.Ok())
        return false;
    const Result<Wiring> wired =
        ParseWiring(m_wiringBox->currentText().trimmed().toStdString(), m_design.m_driverCount);
    if (!wired) {
        std::string sentence = wired.Message();
        sentence[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sentence[0])));
        ShowMessage(this, QString::fromStdString(sentence + "."));
        m_wiringBox->setFocus();
        return false;
    }
    // What was never chosen stays unset, so that the file keeps no chain.
    if (m_wiring || wired->kind != WiringKind::Parallel)
        m_wiring = *wired;
    const int coils = m_coilsBox->currentIndex();
    if (m_coils || coils > 0)
        m_coils = static_cast<std::uint16_t>(coils > 0 ? 2 : 1);
    m_coilWiring = coils > 0 ? std::optional<std::uint16_t>(coils - 1) : std::nullopt;
    return true;
}

void CElectricalDlg::OnInitDialog() {
    CExchangeDialog::OnInitDialog();
    UpdateDerived();
}

QLineEdit* CElectricalDlg::InitialEntry() const {
    return m_reEdit;
}

void CElectricalDlg::UpdateDerived() {
    SpeakerDesign design = m_design;
    design.m_extras.re = Typed(m_reEdit);
    design.m_extras.qes = Typed(m_qesEdit);
    const int coils = m_coilsBox->currentIndex();
    design.m_extras.chain.coils = static_cast<std::uint16_t>(coils > 0 ? 2 : 1);
    design.m_extras.chain.coilWiring = static_cast<std::uint16_t>(std::max(coils - 1, 0));
    const AnalysisResult<DriverValues> values = DeriveDriverValues(design);
    m_derived->setText(values ? DerivedFigures(*values, design.m_efficiency)
                              : QString::fromUtf8(values.Message().data(),
                                                  static_cast<qsizetype>(values.Message().size())));
}

QString CElectricalDlg::DerivedText() const {
    return m_derived->text();
}

} // namespace orvane
