// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/plot/DrawPlot.h"
#include "view/DesignForm.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

class QPrinter;
class QUndoStack;

namespace orvane {

class COrvaneDoc;
struct ViewMarks;

// What one design command changes, whole: the record (extension values
// included) and whether the window counts F1 as entered. The form shows the
// record again, each text standing for its exact value.
struct DesignState {
    SpeakerDesign design;
    bool f1Entered = false;
};

// The design view: the entry form along the top edge, the box picture in the
// top left corner and the plot everywhere else. Drawing goes to a backing
// image, so curves added by Plot survive until the view is erased on purpose.
class COrvaneView : public QWidget {
    Q_OBJECT
public:
    using Field = DesignForm::Field;

    COrvaneView(COrvaneDoc& doc, const ViewMarks& marks, QWidget* parent = nullptr);
    ~COrvaneView() override;

    COrvaneDoc& GetDocument() { return m_doc; }
    const COrvaneDoc& GetDocument() const { return m_doc; }

    // Every change to the design's values goes through Commit: the state
    // before the change, the change, then Commit with the command's name
    // ("Apply Alignment"). A change of the values becomes one step on this
    // window's undo stack; a command that changed nothing leaves no step.
    DesignState State() const;
    void Commit(const QString& what, const DesignState& before);
    QUndoStack* UndoStack() const { return m_undo; }

    // Commands (the shell routes menu, toolbar and button actions here).
    // Plot takes the form's values in and draws them, one step when they
    // changed the record.
    void OnPlot();
    // The same without a step of its own, inside a command that commits;
    // true when the form changed the record.
    bool ReadAndPlot();
    void OnRedraw();
    void OnBoxType(BoxKind kind); // Unknown is ignored
    void OnAmplitude(int dbPerDiv);
    // Shows another graph: the current design alone, on the graph's own
    // axes. Each window keeps its own choice.
    void OnGraph(Graph graph);
    void EraseAndRedraw();

    // First display: fills the form from the record. Runs once; showEvent
    // calls it when nobody did before.
    void OnInitialUpdate();

    // The form's operations on this window's design.
    void FillFromDesign();
    bool ReadIntoDesign(); // false when the exchange stopped at a field
    void ApplyBoxType(BoxKind kind);
    void ShowBoxPicture(BoxKind kind);
    void OnUnitsChanged();

    // A tuning given by a command (an applied alignment) counts as entered,
    // so the next plot keeps it.
    void MarkF1Entered() { m_f1Entered = true; }
    bool F1Entered() const { return m_f1Entered; }
    // True once, at the first drawing of a window whose design has no
    // driver yet (Fs exactly 0): the window then asks for one.
    bool TakeFirstDrawCheck();

    // Printing entry points.
    QSize ClientSize() const;
    void PrintOn(QPrinter& printer);
    // The printed page of the window's graph, on any surface.
    void PrintPageOn(DrawSurface& surface, int pageWidth, int pageHeight);

    // The window's graph as the bytes of a file: PNG and SVG as the window
    // shows it below its form (its earlier curves too, no box picture), PDF
    // as the printed page, CSV the values of the curves shown. None when the
    // drawing could not be made.
    enum class FileFormat { Png, Svg, Pdf, Csv };
    std::optional<QByteArray> GraphFile(FileFormat format);

    Graph CurrentGraph() const { return m_graph; }
    // The graph before the first drawing (a new window's remembered choice);
    // no drawing of its own.
    void SetGraph(Graph graph) { m_graph = graph; }
    // The read-out at a client point: empty outside the plot or where the
    // graph has no value.
    QString ReadoutAt(QPointF point);

    PlotScale Scale() const { return {m_scaleBottom, m_scaleSpan, m_dbPerDiv}; }
    DesignForm* Form() const { return m_form; }
    QLineEdit* FieldEdit(Field field) const { return m_form->FieldEdit(field); }
    // What the view shows below its form, at the device pixel ratio.
    const QImage& BackingImage() const { return m_image; }

    // The form and a useful plot; at least the whole form.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // After each draw operation, once the repaint showing it is done.
    void drawn();
    // The read-out of the pointer over the plot ("45 Hz   −3.2 dB"); an
    // empty text when the pointer leaves the plot.
    void readoutChanged(const QString& text);
    // The user chose a graph in this window.
    void graphChosen(Graph graph);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class DesignCommand;
    // Undo and redo: the state back in the record, the form and the marks;
    // the graph keeps what it shows.
    void Restore(const DesignState& state);
    // DrawGraph over this window's design. The automatic values a drawing
    // writes follow from the others: they leave an unmodified design so.
    AutoValue DrawDesign(DrawSurface& surface, int width, int height,
                         std::optional<GraphAxes>& axes);
    // The draw operation: box picture, plot, then `drawn`.
    void Draw();
    // Runs DrawPlot on the backing image over what it already holds.
    void PlotOnImage();
    void ShowAutoValue(const AutoValue& value);
    // The designs the graph shows: the current one before any drawing.
    std::vector<SpeakerDesign> ShownDesigns() const;
    // The pointer has left the plot: the status bar gets its own text back.
    void EndReadout();
    // The read-out at the pointer for what the view shows now: after every
    // drawing, so that it never names the values of a graph that is gone.
    void UpdateReadout();
    bool EnsureImage();

    COrvaneDoc& m_doc;
    const ViewMarks& m_marks;
    DesignForm* m_form = nullptr;
    QUndoStack* m_undo = nullptr;
    double m_scaleBottom = -10.0;
    double m_scaleSpan = 15.0;
    int32_t m_dbPerDiv = 1;
    bool m_f1Entered = false;
    bool m_firstDraw = true;
    QImage m_image;
    QImage m_boxPicture;
    Graph m_graph = Graph::Response;
    // The level axes of what the image shows, kept for curves drawn over it.
    std::optional<GraphAxes> m_axes;
    // The designs of the curves the graph shows, oldest first: on an
    // analysis graph a curve that needs larger axes draws them all again;
    // an export draws them as shown.
    std::vector<SpeakerDesign> m_earlier;
    // The curves the read-out reads, and the design they are of.
    std::optional<GraphCurves> m_readout;
    SpeakerDesign m_readoutDesign;
    bool m_readoutShown = false;
    // Where the pointer last moved over the view; none once it left.
    std::optional<QPointF> m_pointer;
    bool m_afterDrawPending = false;
    bool m_initialUpdateDone = false;
};

} // namespace orvane
