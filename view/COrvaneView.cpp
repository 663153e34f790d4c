// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/COrvaneView.h"

#include "core/text/Printf.h"

#include "core/design/COrvaneDoc.h"
#include "platform/DataExchange.h"
#include "platform/QtDrawSurface.h"
#include "core/plot/PrintPage.h"
#include "view/ViewMarks.h"

#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QSvgRenderer>

#include <cmath>

namespace orvane {

namespace {

// The form was laid out in dialog units of an 8-point dialog font.
int DluX(int x) {
    return static_cast<int>(std::lround(x * 1.5));
}
int DluY(int y) {
    return static_cast<int>(std::lround(y * 1.625));
}
QRect DluRect(int x, int y, int w, int h) {
    return {DluX(x), DluY(y), DluX(w), DluY(h)};
}

struct FieldLayout {
    QRect edit;
    const char* label;
    QPoint labelAt;
    bool enabled;
};

// In tab order: V1, F1, V2, F2, Drivers.
const FieldLayout kFields[] = {
    {DluRect(43, 2, 32, 12), "V1 (ft3)", {78, 4}, true},
    {DluRect(43, 17, 32, 12), "F1", {78, 18}, false},
    {DluRect(112, 2, 32, 12), "V2 (ft3)", {147, 4}, false},
    {DluRect(112, 16, 32, 12), "F2", {147, 18}, false},
    {DluRect(183, 2, 21, 12), "Drivers", {207, 5}, true},
};
const QRect kPlotButton = DluRect(182, 16, 50, 14);

constexpr double kF1Max = 20000;
constexpr double kV1Max = 10000;
constexpr int32_t kDriversMin = 1;
constexpr int32_t kDriversMax = 65535;

constexpr QPoint kBoxPictureAt{10, 2};
constexpr int kBoxPictureSize = 48;

QString BoxPicturePath(BoxKind kind) {
    switch (kind) {
    case BoxKind::Sealed:
        return QStringLiteral(":/box/sealed.svg");
    case BoxKind::Vented:
        return QStringLiteral(":/box/vented.svg");
    case BoxKind::Bandpass4:
        return QStringLiteral(":/box/bandpass4.svg");
    case BoxKind::Bandpass6:
        return QStringLiteral(":/box/bandpass6.svg");
    case BoxKind::Unknown:
        break;
    }
    return {};
}

// "%.f": no fraction, so no decimal separator and nothing locale-dependent.
QString WholeHertz(double value) {
    return QString::fromStdString(Printf("%.f", value));
}

} // namespace

COrvaneView::COrvaneView(COrvaneDoc& doc, const ViewMarks& marks, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_marks(marks) {
    // Everything below the form is the backing image; the paint event copies it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    BuildForm();
}

COrvaneView::~COrvaneView() = default;

void COrvaneView::BuildForm() {
    for (size_t i = 0; i < m_edits.size(); ++i) {
        const FieldLayout& layout = kFields[i];
        auto* edit = new QLineEdit(this);
        edit->setGeometry(layout.edit);
        edit->setEnabled(layout.enabled);
        // Enter in any field runs Plot, as the form's default button would.
        connect(edit, &QLineEdit::returnPressed, this, &COrvaneView::OnPlot);
        m_edits[i] = edit;

        auto* label = new QLabel(QString::fromLatin1(layout.label), this);
        label->move(DluX(layout.labelAt.x()), DluY(layout.labelAt.y()));
        label->adjustSize();
    }
    connect(FieldEdit(Field::F1), &QLineEdit::textChanged, this, &COrvaneView::OnF1Changed);

    m_plotButton = new QPushButton(QStringLiteral("Plot"), this);
    m_plotButton->setGeometry(kPlotButton);
    m_plotButton->setDefault(true);
    m_plotButton->setAutoDefault(true); // Enter on the focused button plots too
    connect(m_plotButton, &QPushButton::clicked, this, &COrvaneView::OnPlot);

    QWidget* previous = m_edits[0];
    for (size_t i = 1; i < m_edits.size(); ++i) {
        setTabOrder(previous, m_edits[i]);
        previous = m_edits[i];
    }
    setTabOrder(previous, m_plotButton);
}

// --- The form -------------------------------------------------------------

bool COrvaneView::DoDataExchange(bool reading) {
    DataExchange dx(reading ? DataExchange::Direction::Read : DataExchange::Direction::Display,
                    this);
    dx.Number(FieldEdit(Field::F1), m_formF1, 0, kF1Max)
        .Number(FieldEdit(Field::V1), m_formV1, 0, kV1Max)
        .Integer(FieldEdit(Field::Drivers), m_formDrivers, kDriversMin, kDriversMax)
        .Number(FieldEdit(Field::F2), m_formF2)
        .Number(FieldEdit(Field::V2), m_formV2);
    return dx.Ok();
}

void COrvaneView::FillFromDesign() {
    const SpeakerDesign& design = m_doc.Design();
    m_formF1 = design.m_f1;
    m_formV1 = design.m_v1;
    m_formF2 = design.m_f2;
    m_formV2 = design.m_v2;
    m_formDrivers = design.m_driverCount;
    DoDataExchange(false);
    // A tuning that came with the design (a file, or another window on it)
    // counts as entered, so the first drawing does not replace it.
    if (StoredF1CountsAsEntered(design))
        m_f1Entered = true;
    const BoxKind kind = design.Kind();
    m_marks.SetBoxMark(kind);
    SetFieldStates(kind);
}

bool COrvaneView::ReadIntoDesign() {
    const bool ok = DoDataExchange(true);
    // The copy happens even after a failure: fields the exchange did not reach
    // keep their earlier copies, and a refused F1 or V1 still goes through.
    SpeakerDesign& design = m_doc.Design();
    design.m_f1 = m_formF1;
    design.m_v1 = m_formV1;
    design.m_f2 = m_formF2;
    design.m_v2 = m_formV2;
    // A refused count would wrap in the 16-bit field (-1 to 65535, 65536 to
    // 0), so only a count in range reaches the record.
    if (m_formDrivers >= kDriversMin && m_formDrivers <= kDriversMax)
        design.m_driverCount = static_cast<uint16_t>(m_formDrivers);
    else
        m_formDrivers = design.m_driverCount;
    return ok;
}

void COrvaneView::SetFieldStates(BoxKind kind) {
    FieldEdit(Field::V1)->setEnabled(true);
    FieldEdit(Field::Drivers)->setEnabled(true);
    if (kind == BoxKind::Unknown)
        return;
    const bool bandpass = kind == BoxKind::Bandpass4 || kind == BoxKind::Bandpass6;
    FieldEdit(Field::F1)->setEnabled(kind != BoxKind::Sealed);
    FieldEdit(Field::V2)->setEnabled(bandpass);
    FieldEdit(Field::F2)->setEnabled(kind == BoxKind::Bandpass6);
}

void COrvaneView::ApplyBoxType(BoxKind kind) {
    m_marks.SetBoxMark(kind);
    ShowBoxPicture(kind);
    SetFieldStates(kind);
}

void COrvaneView::ShowBoxPicture(BoxKind kind) {
    m_boxPicture = QImage();
    const QString path = BoxPicturePath(kind);
    if (path.isEmpty() || !QFile::exists(path))
        return;
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return;
    const qreal ratio = devicePixelRatioF();
    QImage picture(QSize(kBoxPictureSize, kBoxPictureSize) * ratio,
                   QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::white); // opaque, whatever the artwork leaves empty
    {
        QPainter painter(&picture);
        renderer.render(&painter, QRectF(0, 0, kBoxPictureSize, kBoxPictureSize));
    }
    m_boxPicture = picture;
    if (!EnsureImage())
        return;
    {
        QPainter painter(&m_image);
        painter.drawImage(kBoxPictureAt, m_boxPicture);
    }
    update(QRect(kBoxPictureAt, QSize(kBoxPictureSize, kBoxPictureSize)));
}

void COrvaneView::OnF1Changed() {
    m_f1Entered = true;
}

void COrvaneView::OnInitialUpdate() {
    if (m_initialUpdateDone)
        return;
    m_initialUpdateDone = true;
    FillFromDesign();
    EraseAndRedraw(); // the first paint
}

// --- Commands ---------------------------------------------------------------

void COrvaneView::OnPlot() {
    m_marks.SetBoxMark(BoxKind::Unknown);
    const SpeakerDesign before = m_doc.Design();
    ReadIntoDesign();
    const bool readChanged = !before.SameBits(m_doc.Design());
    m_marks.SetBoxMark(m_doc.Design().Kind());
    // Over whatever the view already shows: earlier curves stay.
    PlotOnImage();
    // Only the form counts as the user's change. A sealed resonance read back
    // rounded from its field and then recomputed exactly is no change at all.
    if (readChanged)
        m_doc.MarkModifiedIfChanged(before);
}

void COrvaneView::OnRedraw() {
    EraseAndRedraw();
}

void COrvaneView::OnBoxType(BoxKind kind) {
    if (kind == BoxKind::Unknown)
        return;
    const SpeakerDesign before = m_doc.Design();
    m_doc.Design().m_boxType = std::string(BoxType::Name(kind));
    m_doc.MarkModifiedIfChanged(before);
    ApplyBoxType(kind);
}

void COrvaneView::OnAmplitude(int dbPerDiv) {
    const PlotScale scale = ScaleForDbPerDiv(dbPerDiv);
    m_dbPerDiv = scale.dbPerDiv;
    m_scaleBottom = scale.bottom;
    m_scaleSpan = scale.span;
    m_marks.SetAmplitudeMark(m_dbPerDiv);
    EraseAndRedraw();
}

void COrvaneView::EraseAndRedraw() {
    if (!EnsureImage())
        return;
    m_image.fill(Qt::white);
    Draw();
}

void COrvaneView::SetAfterDrawHook(std::function<void(COrvaneView&)> hook) {
    m_afterDrawHook = std::move(hook);
}

// --- Drawing ----------------------------------------------------------------

bool COrvaneView::EnsureImage() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::ceil(width() * ratio)),
                       static_cast<int>(std::ceil(height() * ratio)));
    if (pixels.isEmpty()) {
        m_image = QImage();
        return false;
    }
    if (m_image.size() != pixels || m_image.devicePixelRatio() != ratio) {
        m_image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_image.setDevicePixelRatio(ratio);
        m_image.fill(Qt::white);
    }
    return true;
}

void COrvaneView::Draw() {
    if (!EnsureImage())
        return;
    ShowBoxPicture(m_doc.Design().Kind());
    PlotOnImage();
    // The first-draw check may open a dialog: never from inside a paint.
    m_afterDrawPending = true;
}

void COrvaneView::PlotOnImage() {
    if (!EnsureImage())
        return;
    AutoValue value;
    {
        QPainter painter(&m_image);
        QtDrawSurface surface(painter);
        value = DrawPlot(surface, m_doc.Design(), m_f1Entered, Scale(), width(), height());
    }
    ShowAutoValue(value);
    update();
}

void COrvaneView::ShowAutoValue(const AutoValue& value) {
    if (value.entry == AutoEntry::None)
        return;
    QLineEdit* edit = FieldEdit(value.entry == AutoEntry::F1 ? Field::F1 : Field::F2);
    // Not a data exchange: the change notification fires, so an automatic
    // tuning written into F1 counts as entered.
    edit->setText(WholeHertz(value.value));
    if (value.entry == AutoEntry::F1)
        OnF1Changed(); // also when the text happened to be the same
}

void COrvaneView::PrintOn(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer))
        return; // the printer refused the job; Qt has already said why
    QtDrawSurface surface(painter);
    // The painter's origin is the printable area's top-left corner.
    const QSize client = ClientSize();
    PrintPage(surface, printer.width(), printer.height(), 0, 0, m_doc.Title(), m_doc.Design(),
                client.width(), client.height(), [this, client](DrawSurface& page) {
                    // The page gets the plot; the box picture belongs to the window.
                    ShowAutoValue(DrawPlot(page, m_doc.Design(), m_f1Entered, Scale(),
                                           client.width(), client.height()));
                });
}

QSize COrvaneView::ClientSize() const {
    return size();
}

// --- Events -----------------------------------------------------------------

void COrvaneView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (m_image.isNull())
        painter.fillRect(event->rect(), Qt::white);
    else
        painter.drawImage(QPoint(0, 0), m_image);
    painter.end();

    if (!m_image.isNull() && m_image.devicePixelRatio() != devicePixelRatioF()) {
        // Moved to a screen of another pixel ratio: draw again, outside the paint.
        QMetaObject::invokeMethod(this, &COrvaneView::EraseAndRedraw, Qt::QueuedConnection);
    }
    if (m_afterDrawPending) {
        m_afterDrawPending = false;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_afterDrawHook)
                    m_afterDrawHook(*this);
            },
            Qt::QueuedConnection);
    }
}

void COrvaneView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A new size shows the current design alone, on the new scales.
    if (m_initialUpdateDone)
        EraseAndRedraw();
}

void COrvaneView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    OnInitialUpdate();
}

void COrvaneView::keyPressEvent(QKeyEvent* event) {
    // The fields have already run Plot for Enter; nothing above the view may
    // act on it a second time.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace orvane
