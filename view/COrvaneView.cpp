// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/COrvaneView.h"

#include "core/text/Printf.h"

#include "core/design/COrvaneDoc.h"
#include "core/plot/PlotGeometry.h"
#include "core/plot/PrintPage.h"
#include "platform/DataExchange.h"
#include "platform/EntryText.h"
#include "platform/NumericText.h"
#include "platform/QtDrawSurface.h"
#include "platform/UnitChoice.h"
#include "view/ViewMarks.h"

#include <QEvent>
#include <QFile>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QSvgRenderer>

#include <algorithm>
#include <climits>
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
    QRect edit; // dialog units
    const char* label;
    QPoint labelAt; // dialog units
    bool enabled;
    bool volume;        // shows a volume, in the chosen unit
    int column;         // V1 and F1, V2 and F2, Drivers and Plot
    const char* widest; // the longest text the field must show whole
};

// In tab order: V1, F1, V2, F2, Drivers.
const FieldLayout kFields[] = {
    {{43, 2, 32, 12}, "V1 (ft3)", {78, 4}, true, true, 0, "10000."},
    {{43, 17, 32, 12}, "F1", {78, 18}, false, false, 0, "20000."},
    {{112, 2, 32, 12}, "V2 (ft3)", {147, 4}, false, true, 1, "10000."},
    {{112, 16, 32, 12}, "F2", {147, 18}, false, false, 1, "20000."},
    {{183, 2, 21, 12}, "Drivers", {207, 5}, true, false, 2, "65535"},
};
// A volume field in litres shows the largest V1 whole ("283168.47").
constexpr const char* kWidestMetricVolume = "283168.";

QString LabelText(const FieldLayout& layout) {
    QString label = QString::fromLatin1(layout.label);
    if (!layout.volume)
        return label;
    return UnitChoice::Labelled(label.left(2), UnitChoice::Quantity::Volume, label);
}

QString WidestText(const FieldLayout& layout) {
    if (layout.volume &&
        DisplayUnits::Converts(UnitChoice::Current(), UnitChoice::Quantity::Volume))
        return QString::fromLatin1(kWidestMetricVolume);
    return QString::fromLatin1(layout.widest);
}

const QRect kPlotButton = DluRect(182, 16, 50, 14);
constexpr int kColumns = 3;
// Between a label and the column to its right.
constexpr int kLabelGap = 4;
constexpr int kFormMargin = 8;
// The form, then a plot of at least 60 pixels between its margins.
constexpr int kMinimumHeight = 150;
const QSize kPreferredSize(640, 480);
// The figure line with the most digits the output figures write.
constexpr const char* kWidestFigureLine = "Max SPL = 999dB at 99999 Watts input power";

QRect ToPixels(const QRect& dlu) {
    return DluRect(dlu.x(), dlu.y(), dlu.width(), dlu.height());
}

// Wide enough for the button's text, its margins and its frame.
int ButtonWidth(const QPushButton* button) {
    const QStyle* style = button->style();
    const int margins = 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                             style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
    const double advance = QFontMetricsF(button->font()).horizontalAdvance(button->text());
    return static_cast<int>(std::ceil(advance)) + margins;
}

// Wide enough for `text` in the field's font: the text, the frame and the
// line edit's own margins, and the cursor.
int EntryWidth(const QLineEdit* edit, const QString& text) {
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    const QMargins margins = edit->textMargins();
    const double advance = QFontMetricsF(edit->font()).horizontalAdvance(text);
    return static_cast<int>(std::ceil(advance)) + 2 * frame + 4 + margins.left() + margins.right() +
           1;
}

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
    // The read-out follows the pointer without a button held.
    setMouseTracking(true);
    m_unitsShown = UnitChoice::Current();
    BuildForm();
}

COrvaneView::~COrvaneView() = default;

void COrvaneView::BuildForm() {
    for (size_t i = 0; i < m_edits.size(); ++i) {
        const FieldLayout& layout = kFields[i];
        auto* edit = new QLineEdit(this);
        edit->setEnabled(layout.enabled);
        // Enter in any field runs Plot, as the form's default button would.
        connect(edit, &QLineEdit::returnPressed, this, &COrvaneView::OnPlot);
        // Whatever the user types is read as typed.
        connect(edit, &QLineEdit::textEdited, this, [this, i] { m_shown[i].reset(); });
        m_edits[i] = edit;
        m_labels[i] = new QLabel(LabelText(layout), this);
    }
    connect(FieldEdit(Field::F1), &QLineEdit::textChanged, this, &COrvaneView::OnF1Changed);

    m_plotButton = new QPushButton(QStringLiteral("Plot"), this);
    m_plotButton->setDefault(true);
    m_plotButton->setAutoDefault(true); // Enter on the focused button plots too
    connect(m_plotButton, &QPushButton::clicked, this, &COrvaneView::OnPlot);

    QWidget* previous = m_edits[0];
    for (size_t i = 1; i < m_edits.size(); ++i) {
        setTabOrder(previous, m_edits[i]);
        previous = m_edits[i];
    }
    setTabOrder(previous, m_plotButton);
    // The pointer on the form has left the plot, though not the view.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    LayoutForm();
}

void COrvaneView::LayoutForm() {
    // How far the columns from the current one on have moved right.
    int shift = 0;
    for (int column = 0; column < kColumns; ++column) {
        int labelsEnd = 0;
        // The fields of a column share the width the widest text needs.
        int columnWidth = 0;
        for (size_t i = 0; i < m_edits.size(); ++i) {
            if (kFields[i].column == column)
                columnWidth = std::max(columnWidth, EntryWidth(m_edits[i], WidestText(kFields[i])));
        }
        for (size_t i = 0; i < m_edits.size(); ++i) {
            const FieldLayout& layout = kFields[i];
            if (layout.column != column)
                continue;
            const QRect home = ToPixels(layout.edit); // the field's own place
            QLineEdit* edit = m_edits[i];
            const int width = std::max(home.width(), columnWidth);
            edit->setGeometry(home.x() + shift, home.y(), width, home.height());
            // The label keeps its distance from the field's right edge.
            const int labelGap = DluX(layout.labelAt.x()) - (home.x() + home.width());
            QLabel* label = m_labels[i];
            label->adjustSize();
            label->move(std::max(DluX(layout.labelAt.x()) + shift, edit->x() + width + labelGap),
                        DluY(layout.labelAt.y()));
            labelsEnd = std::max(labelsEnd, label->x() + label->width());
        }
        if (column == kColumns - 1) {
            m_plotButton->setGeometry(kPlotButton.x() + shift, kPlotButton.y(),
                                      std::max(kPlotButton.width(), ButtonWidth(m_plotButton)),
                                      kPlotButton.height());
            // A label tall enough to reach down to the button goes beside it.
            const QRect button = m_plotButton->geometry();
            for (size_t i = 0; i < m_labels.size(); ++i) {
                QLabel* label = m_labels[i];
                if (kFields[i].column == column && label->geometry().intersects(button))
                    label->move(button.right() + 1 + kLabelGap, label->y());
            }
            break;
        }
        // The next column starts clear of this column's labels.
        int nextLeft = column + 1 == kColumns - 1 ? kPlotButton.x() : INT_MAX;
        for (const FieldLayout& layout : kFields) {
            if (layout.column == column + 1)
                nextLeft = std::min(nextLeft, DluX(layout.edit.x()));
        }
        shift = std::max(shift, labelsEnd + kLabelGap - nextLeft);
    }
    updateGeometry();
}

QSize COrvaneView::minimumSizeHint() const {
    QRect form(kBoxPictureAt, QSize(kBoxPictureSize, kBoxPictureSize));
    for (size_t i = 0; i < m_edits.size(); ++i)
        form |= m_edits[i]->geometry() | m_labels[i]->geometry();
    form |= m_plotButton->geometry();
    return {form.right() + 1 + kFormMargin,
            std::max(form.bottom() + 1 + kFormMargin, kMinimumHeight)};
}

QSize COrvaneView::sizeHint() const {
    // Wide enough that the longest figure line a design can show ends inside
    // the window, whatever the font.
    const int figures = PlotGeometry::kFiguresX + kFormMargin +
                        fontMetrics().horizontalAdvance(QString::fromLatin1(kWidestFigureLine));
    return kPreferredSize.expandedTo(minimumSizeHint()).expandedTo(QSize(figures, 0));
}

// --- The form -------------------------------------------------------------

bool COrvaneView::DoDataExchange(bool reading) {
    DataExchange dx(reading ? DataExchange::Direction::Read : DataExchange::Direction::Display,
                    this);
    dx.Number(FieldEdit(Field::F1), m_formF1, 0, kF1Max)
        .Number(FieldEdit(Field::V1), m_formV1, 0, kV1Max, UnitChoice::Quantity::Volume)
        .Integer(FieldEdit(Field::Drivers), m_formDrivers, kDriversMin, kDriversMax)
        .Number(FieldEdit(Field::F2), m_formF2)
        .Number(FieldEdit(Field::V2), m_formV2, UnitChoice::Quantity::Volume);
    return dx.Ok();
}

void COrvaneView::FillFromDesign() {
    const SpeakerDesign& design = m_doc.Design();
    m_formF1 = design.m_f1;
    m_formV1 = design.m_v1;
    m_formF2 = design.m_f2;
    m_formV2 = design.m_v2;
    m_formDrivers = design.m_driverCount;
    m_unitsShown = UnitChoice::Current();
    DoDataExchange(false);
    RememberShown(Field::F1, m_formF1);
    RememberShown(Field::V1, m_formV1);
    RememberShown(Field::F2, m_formF2);
    RememberShown(Field::V2, m_formV2);
    // A tuning that came with the design (a file, or another window on it)
    // counts as entered, so the first drawing does not replace it.
    if (StoredF1CountsAsEntered(design))
        m_f1Entered = true;
    const BoxKind kind = design.Kind();
    m_marks.SetBoxMark(kind);
    SetFieldStates(kind);
}

void COrvaneView::OnUnitsChanged() {
    const UnitSystem before = m_unitsShown;
    m_unitsShown = UnitChoice::Current();
    for (const Field field : {Field::V1, Field::V2}) {
        QLineEdit* edit = FieldEdit(field);
        // The exact value behind the program's own text; what the user typed
        // is read in the unit it was typed in. A text that is no number stays.
        double stored = 0;
        if (const std::optional<double> exact = ShownExactly(field))
            stored = *exact;
        else if (const auto typed = NumericText::ReadNumber(edit->text()))
            stored = DisplayUnits::FromDisplay(before, UnitChoice::Quantity::Volume, *typed);
        else
            continue;
        {
            const QSignalBlocker blocker(edit);
            EntryText::Set(edit, NumericText::FormatNumber(
                                     UnitChoice::ToDisplay(UnitChoice::Quantity::Volume, stored)));
        }
        RememberShown(field, stored);
    }
    for (size_t i = 0; i < m_labels.size(); ++i)
        m_labels[i]->setText(LabelText(kFields[i]));
    LayoutForm();
}

void COrvaneView::RememberShown(Field field, double value) {
    m_shown[static_cast<size_t>(field)] = ShownValue{FieldEdit(field)->text(), value};
}

std::optional<double> COrvaneView::ShownExactly(Field field) const {
    const std::optional<ShownValue>& shown = m_shown[static_cast<size_t>(field)];
    if (!shown || FieldEdit(field)->text() != shown->text)
        return std::nullopt;
    return shown->value;
}

bool COrvaneView::ReadIntoDesign() {
    const bool ok = DoDataExchange(true);
    // A field still showing what the program wrote into it stands for the
    // exact value, not its rounded text: an unchanged design plotted again
    // gives the same curve, and an automatic value does not drift.
    const std::pair<Field, double*> numbers[] = {{Field::F1, &m_formF1},
                                                 {Field::V1, &m_formV1},
                                                 {Field::F2, &m_formF2},
                                                 {Field::V2, &m_formV2}};
    for (const auto& [field, copy] : numbers) {
        if (const std::optional<double> exact = ShownExactly(field))
            *copy = *exact;
    }
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

void COrvaneView::OnGraph(Graph graph) {
    m_graph = graph;
    m_marks.SetGraphMark(graph);
    m_readout.reset();
    if (m_graphHook)
        m_graphHook(graph);
    EraseAndRedraw();
}

void COrvaneView::EraseAndRedraw() {
    // The current design alone: its graph chooses its axes afresh.
    m_axes.reset();
    if (!EnsureImage())
        return;
    m_image.fill(Qt::white);
    Draw();
}

void COrvaneView::SetAfterDrawHook(std::function<void(COrvaneView&)> hook) {
    m_afterDrawHook = std::move(hook);
}

void COrvaneView::SetReadoutHook(std::function<void(const QString&)> hook) {
    m_readoutHook = std::move(hook);
}

void COrvaneView::SetGraphHook(std::function<void(Graph)> hook) {
    m_graphHook = std::move(hook);
}

QString COrvaneView::ReadoutAt(QPointF point) {
    const SpeakerDesign& design = m_doc.Design();
    const std::optional<double> frequency =
        PlotFrequencyAt(design, width(), height(), point.x(), point.y());
    if (!frequency)
        return {};
    // The curves are worked out once per design and graph, not per movement.
    if (!m_readout || m_readout->graph != m_graph || !m_readoutDesign.SameBits(design)) {
        m_readoutDesign = design;
        m_readout = ComputeGraphCurves(m_graph, design);
    }
    return QString::fromStdString(ReadoutText(*m_readout, *frequency));
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
        value = DrawGraph(surface, m_doc.Design(), m_f1Entered, m_graph, Scale(), width(), height(),
                          m_axes);
    }
    ShowAutoValue(value);
    update();
}

void COrvaneView::ShowAutoValue(const AutoValue& value) {
    if (value.entry == AutoEntry::None)
        return;
    const Field field = value.entry == AutoEntry::F1 ? Field::F1 : Field::F2;
    // Not a data exchange: the change notification fires, so an automatic
    // tuning written into F1 counts as entered.
    EntryText::Set(FieldEdit(field), WholeHertz(value.value));
    RememberShown(field, value.value);
    if (value.entry == AutoEntry::F1)
        OnF1Changed(); // also when the text happened to be the same
}

void COrvaneView::PrintOn(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer))
        return; // the printer refused the job; Qt has already said why
    QtDrawSurface surface(painter);
    // The painter's origin is the printable area's top-left corner.
    PrintPageOn(surface, printer.width(), printer.height());
}

void COrvaneView::PrintPageOn(DrawSurface& surface, int pageWidth, int pageHeight) {
    const QSize client = ClientSize();
    PrintPage(surface, pageWidth, pageHeight, 0, 0, m_doc.Title(), m_doc.Design(),
              UnitChoice::Current(), client.width(), client.height(),
              [this, client](DrawSurface& page) {
                  // The page gets the window's graph of the current design
                  // alone, on axes of its own; the box picture belongs to the
                  // window.
                  std::optional<GraphAxes> axes;
                  ShowAutoValue(DrawGraph(page, m_doc.Design(), m_f1Entered, m_graph, Scale(),
                                          client.width(), client.height(), axes));
              });
}

QSize COrvaneView::ClientSize() const {
    return size();
}

// --- Events -----------------------------------------------------------------

void COrvaneView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Another font or style measures the form's texts anew.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        LayoutForm();
}

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

void COrvaneView::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (!m_readoutHook)
        return;
    const QString text = ReadoutAt(event->position());
    // Leaving the plot gives the status bar back once.
    if (text.isEmpty() && !m_readoutShown)
        return;
    m_readoutShown = !text.isEmpty();
    m_readoutHook(text);
}

void COrvaneView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    EndReadout();
}

bool COrvaneView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter)
        EndReadout();
    return QWidget::eventFilter(watched, event);
}

void COrvaneView::EndReadout() {
    if (m_readoutShown && m_readoutHook)
        m_readoutHook(QString());
    m_readoutShown = false;
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
