// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/COrvaneView.h"

#include "core/design/COrvaneDoc.h"
#include "core/plot/PlotGeometry.h"
#include "core/plot/PrintPage.h"
#include "platform/GraphImage.h"
#include "platform/QtDrawSurface.h"
#include "platform/UnitChoice.h"
#include "view/ViewMarks.h"

#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QSvgRenderer>
#include <QUndoStack>

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

constexpr int kFormMargin = 8;
// The form, then a plot of at least 60 pixels between its margins.
constexpr int kMinimumHeight = 150;
const QSize kPreferredSize(640, 480);
// The figure line with the most digits the output figures write.
constexpr const char* kWidestFigureLine = "Max SPL = 999dB at 99999 Watts input power";

// The window size a printed or exported page is drawn at.
const QSize kPrintedClient(800, 600);

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
    case BoxKind::PassiveRadiator:
        return QStringLiteral(":/box/radiator.svg");
    case BoxKind::Unknown:
        break;
    }
    return {};
}

} // namespace

// One step of a window's undo stack: the whole state before and after.
class DesignCommand : public QUndoCommand {
public:
    DesignCommand(COrvaneView& view, const QString& what, DesignState before, DesignState after)
        : QUndoCommand(what), m_view(view), m_before(std::move(before)), m_after(std::move(after)) {
    }

    void undo() override { m_view.Restore(m_before); }
    void redo() override {
        // Pushed after the change was made: the first redo has nothing to do,
        // and must leave the fields' own typing history alone.
        if (m_done)
            m_view.Restore(m_after);
        m_done = true;
    }

private:
    COrvaneView& m_view;
    DesignState m_before;
    DesignState m_after;
    bool m_done = false;
};

COrvaneView::COrvaneView(COrvaneDoc& doc, const ViewMarks& marks, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_marks(marks), m_form(new DesignForm(this)),
      m_undo(new QUndoStack(this)) {
    // Everything below the form is the backing image; the paint event copies it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    // The read-out follows the pointer without a button held.
    setMouseTracking(true);
    connect(m_form, &DesignForm::plotRequested, this, &COrvaneView::OnPlot);
    connect(m_form, &DesignForm::f1Changed, this, [this] { m_f1Entered = true; });
    // The pointer on the form has left the plot, though not the view.
    m_form->installEventFilter(this);
}

COrvaneView::~COrvaneView() {
    // The stack clears itself as it goes and says so; its listeners may hold
    // a design that is already gone.
    m_undo->blockSignals(true);
}

QSize COrvaneView::minimumSizeHint() const {
    const QRect form =
        QRect(kBoxPictureAt, QSize(kBoxPictureSize, kBoxPictureSize)) | m_form->geometry();
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

void COrvaneView::FillFromDesign() {
    const SpeakerDesign& design = m_doc.Design();
    m_form->Fill(design);
    // A tuning that came with the design (a file, or another window on it)
    // counts as entered, so the first drawing does not replace it.
    if (StoredF1CountsAsEntered(design))
        m_f1Entered = true;
    const BoxKind kind = design.Kind();
    m_marks.SetBoxMark(kind);
    m_form->SetFieldStates(kind);
}

void COrvaneView::OnUnitsChanged() {
    m_form->OnUnitsChanged();
    updateGeometry();
}

bool COrvaneView::ReadIntoDesign() {
    return m_form->ReadInto(m_doc.Design());
}

void COrvaneView::ApplyBoxType(BoxKind kind) {
    m_marks.SetBoxMark(kind);
    ShowBoxPicture(kind);
    m_form->SetFieldStates(kind);
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

void COrvaneView::OnInitialUpdate() {
    if (m_initialUpdateDone)
        return;
    m_initialUpdateDone = true;
    FillFromDesign();
    EraseAndRedraw(); // the first paint
}

// --- Undo -------------------------------------------------------------------

DesignState COrvaneView::State() const {
    return {m_doc.Design(), m_f1Entered};
}

void COrvaneView::Commit(const QString& what, const DesignState& before) {
    DesignState after = State();
    if (before.design.SameBits(after.design))
        return;
    m_undo->push(new DesignCommand(*this, what, before, std::move(after)));
}

void COrvaneView::Restore(const DesignState& state) {
    m_doc.Design() = state.design;
    m_form->Fill(state.design);
    m_form->ForgetTyping();
    m_f1Entered = state.f1Entered;
    ApplyBoxType(state.design.Kind());
}

// --- Commands ---------------------------------------------------------------

void COrvaneView::OnPlot() {
    const DesignState before = State();
    // Only the form counts as the user's change. A sealed resonance read back
    // rounded from its field and then recomputed exactly is no change at all;
    // the automatic values drawn from a changed form belong to its step.
    if (ReadAndPlot())
        Commit(QStringLiteral("Plot"), before);
}

bool COrvaneView::ReadAndPlot() {
    m_marks.SetBoxMark(BoxKind::Unknown);
    const SpeakerDesign before = m_doc.Design();
    ReadIntoDesign();
    const bool readChanged = !before.SameBits(m_doc.Design());
    m_marks.SetBoxMark(m_doc.Design().Kind());
    // Over whatever the view already shows: earlier curves stay.
    PlotOnImage();
    return readChanged;
}

void COrvaneView::OnRedraw() {
    EraseAndRedraw();
}

void COrvaneView::OnBoxType(BoxKind kind) {
    if (kind == BoxKind::Unknown)
        return;
    const DesignState before = State();
    m_doc.Design().m_boxType = std::string(BoxType::Name(kind));
    ApplyBoxType(kind);
    Commit(QStringLiteral("Box Type"), before);
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
    emit graphChosen(graph);
    EraseAndRedraw();
}

void COrvaneView::EraseAndRedraw() {
    // The current design alone: its graph chooses its axes afresh.
    m_axes.reset();
    m_earlier.clear();
    if (!EnsureImage())
        return;
    m_image.fill(Qt::white);
    Draw();
}

bool COrvaneView::TakeFirstDrawCheck() {
    // Exactly zero, of either sign: a new design that has no driver yet.
    if (m_doc.Design().m_fs != 0 || !m_firstDraw)
        return false;
    m_firstDraw = false;
    return true;
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
    // What follows a drawing may open a dialog: never from inside a paint.
    m_afterDrawPending = true;
}

void COrvaneView::PlotOnImage() {
    if (!EnsureImage())
        return;
    if (m_axes && m_graph != Graph::Response) {
        SpeakerDesign next = m_doc.Design();
        ApplyAutomaticValues(next, m_f1Entered);
        if (auto wider = WiderAxes(*m_axes, ComputeGraphCurves(m_graph, next), m_dbPerDiv)) {
            // A curve the axes cannot hold: this window's earlier curves again,
            // from their designs, on axes that hold them all.
            m_axes = wider;
            m_image.fill(Qt::white);
            ShowBoxPicture(m_doc.Design().Kind());
            QPainter painter(&m_image);
            QtDrawSurface surface(painter);
            for (SpeakerDesign earlier : m_earlier)
                DrawGraph(surface, earlier, true, m_graph, Scale(), width(), height(), m_axes);
        }
    }
    AutoValue value;
    {
        QPainter painter(&m_image);
        QtDrawSurface surface(painter);
        value = DrawDesign(surface, width(), height(), m_axes);
    }
    m_earlier.push_back(m_doc.Design());
    ShowAutoValue(value);
    update();
    UpdateReadout();
}

AutoValue COrvaneView::DrawDesign(DrawSurface& surface, int width, int height,
                                  std::optional<GraphAxes>& axes) {
    const bool wasSaved = !m_doc.IsModified();
    const AutoValue value =
        DrawGraph(surface, m_doc.Design(), m_f1Entered, m_graph, Scale(), width, height, axes);
    if (wasSaved)
        m_doc.SetModified(false);
    return value;
}

void COrvaneView::ShowAutoValue(const AutoValue& value) {
    // Not a data exchange: the change notification fires, so an automatic
    // tuning written into F1 counts as entered.
    m_form->ShowAutoValue(value);
    if (value.entry == AutoEntry::F1)
        m_f1Entered = true; // also when the text happened to be the same
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
    // The page is laid out for a window of one size, whatever this one's:
    // a maximised window would shrink the header and the labels to nothing.
    const QSize client = kPrintedClient;
    PrintPage(surface, pageWidth, pageHeight, 0, 0, m_doc.Title(), m_doc.Design(),
              UnitChoice::Current(), client.width(), client.height(),
              [this, client](DrawSurface& page) {
                  // The page gets the window's graph of the current design
                  // alone, on axes of its own; the box picture belongs to the
                  // window.
                  std::optional<GraphAxes> axes;
                  ShowAutoValue(DrawDesign(page, client.width(), client.height(), axes));
              });
}

std::vector<SpeakerDesign> COrvaneView::ShownDesigns() const {
    if (!m_earlier.empty())
        return m_earlier;
    SpeakerDesign current = m_doc.Design();
    ApplyAutomaticValues(current, m_f1Entered);
    return {current};
}

std::optional<QByteArray> COrvaneView::GraphFile(FileFormat format) {
    const QString title = QString::fromStdString(m_doc.Title());
    const int w = width();
    const int h = height();
    const auto draw = [this, w, h](DrawSurface& surface) {
        std::optional<GraphAxes> axes = m_axes;
        for (SpeakerDesign design : ShownDesigns())
            DrawGraph(surface, design, true, m_graph, Scale(), w, h, axes);
    };
    switch (format) {
    case FileFormat::Png:
        return GraphImage::Png(w, h, draw);
    case FileFormat::Svg:
        return GraphImage::Svg(w, h, title, draw);
    case FileFormat::Pdf:
        return GraphImage::Pdf(title, [this](DrawSurface& surface, int pageWidth, int pageHeight) {
            PrintPageOn(surface, pageWidth, pageHeight);
        });
    case FileFormat::Csv:
        break;
    }
    std::vector<GraphCurves> drawings;
    for (const SpeakerDesign& design : ShownDesigns())
        drawings.push_back(ComputeGraphCurves(m_graph, design));
    return QByteArray::fromStdString(GraphCsv(drawings));
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
        QMetaObject::invokeMethod(this, &COrvaneView::drawn, Qt::QueuedConnection);
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
    m_pointer = event->position();
    UpdateReadout();
}

void COrvaneView::UpdateReadout() {
    const QString text = m_pointer ? ReadoutAt(*m_pointer) : QString();
    // Leaving the plot gives the status bar back once.
    if (text.isEmpty() && !m_readoutShown)
        return;
    m_readoutShown = !text.isEmpty();
    emit readoutChanged(text);
}

void COrvaneView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    EndReadout();
}

bool COrvaneView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_form && event->type() == QEvent::Enter)
        EndReadout();
    return QWidget::eventFilter(watched, event);
}

void COrvaneView::EndReadout() {
    m_pointer.reset();
    UpdateReadout();
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
