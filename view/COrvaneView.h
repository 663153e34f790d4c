// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/design/SpeakerDesign.h"
#include "core/plot/DrawPlot.h"
#include "core/units/DisplayUnits.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;

namespace orvane {

class COrvaneDoc;
struct ViewMarks;

// The design view: the entry form along the top edge, the box picture in the
// top left corner and the plot everywhere else. Drawing goes to a backing
// image, so curves added by Plot survive until the view is erased on purpose.
class COrvaneView : public QWidget {
    Q_OBJECT
public:
    // The five entry fields, in tab order.
    enum class Field { V1, F1, V2, F2, Drivers };

    COrvaneView(COrvaneDoc& doc, const ViewMarks& marks, QWidget* parent = nullptr);
    ~COrvaneView() override;

    COrvaneDoc& GetDocument() { return m_doc; }
    const COrvaneDoc& GetDocument() const { return m_doc; }

    // Commands (the shell routes menu, toolbar and button actions here).
    void OnPlot();
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

    // The form's operations.
    void FillFromDesign();
    bool ReadIntoDesign(); // false when the exchange stopped at a field
    void ApplyBoxType(BoxKind kind);
    void ShowBoxPicture(BoxKind kind);
    // Options > Units changed: the volume labels and fields show the new
    // unit, each field the same value as before (what the user typed too).
    void OnUnitsChanged();

    // Printing entry points.
    QSize ClientSize() const;
    void PrintOn(QPrinter& printer);
    // The printed page of the window's graph, on any surface.
    void PrintPageOn(DrawSurface& surface, int pageWidth, int pageHeight);

    // Runs after each draw operation, once the repaint showing it is done.
    void SetAfterDrawHook(std::function<void(COrvaneView&)> hook);
    // Receives the read-out of the pointer over the plot ("45 Hz   −3.2 dB"),
    // and an empty text when the pointer leaves the plot.
    void SetReadoutHook(std::function<void(const QString&)> hook);
    // Receives each graph the user chooses in this window.
    void SetGraphHook(std::function<void(Graph)> hook);

    Graph CurrentGraph() const { return m_graph; }
    // The graph before the first drawing (a new window's remembered choice);
    // no drawing of its own.
    void SetGraph(Graph graph) { m_graph = graph; }
    // The read-out at a client point: empty outside the plot or where the
    // graph has no value.
    QString ReadoutAt(QPointF point);

    PlotScale Scale() const { return {m_scaleBottom, m_scaleSpan, m_dbPerDiv}; }
    QLineEdit* FieldEdit(Field field) const { return m_edits[static_cast<size_t>(field)]; }
    QPushButton* PlotButton() const { return m_plotButton; }
    // What the view shows below its form, at the device pixel ratio.
    const QImage& BackingImage() const { return m_image; }
    QLabel* FieldLabel(Field field) const { return m_labels[static_cast<size_t>(field)]; }

    // The form and a useful plot; at least the whole form.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The view's own fields (public, as the record's are).
    double m_formF1 = 0;
    double m_formV1 = 0;
    int32_t m_formDrivers = 0;
    double m_formF2 = 0;
    double m_formV2 = 0;
    double m_scaleBottom = -10.0;
    double m_scaleSpan = 15.0;
    int32_t m_dbPerDiv = 1;
    bool m_f1Entered = false;
    bool m_firstDraw = true;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A text the program wrote into an entry field and the exact value it
    // stands for.
    struct ShownValue {
        QString text;
        double value = 0;
    };

    void BuildForm();
    // Places the form at its template positions, moving fields and labels
    // right only where the font's texts need more room.
    void LayoutForm();
    void RememberShown(Field field, double value);
    // The exact value behind a field still showing what the program wrote.
    std::optional<double> ShownExactly(Field field) const;
    bool DoDataExchange(bool reading);
    void SetFieldStates(BoxKind kind);
    void OnF1Changed();

    // The draw operation: box picture, plot, then the after-draw hook.
    void Draw();
    // Runs DrawPlot on the backing image over what it already holds.
    void PlotOnImage();
    void ShowAutoValue(const AutoValue& value);
    // The pointer has left the plot: the status bar gets its own text back.
    void EndReadout();
    bool EnsureImage();

    COrvaneDoc& m_doc;
    const ViewMarks& m_marks;
    std::array<QLineEdit*, 5> m_edits{};
    std::array<QLabel*, 5> m_labels{};
    std::array<std::optional<ShownValue>, 5> m_shown{};
    QPushButton* m_plotButton = nullptr;
    QImage m_image;
    QImage m_boxPicture;
    std::function<void(COrvaneView&)> m_afterDrawHook;
    std::function<void(const QString&)> m_readoutHook;
    std::function<void(Graph)> m_graphHook;
    Graph m_graph = Graph::Response;
    // The level axes of what the image shows, kept for curves drawn over it.
    std::optional<GraphAxes> m_axes;
    // The curves the read-out reads, and the design they are of.
    std::optional<GraphCurves> m_readout;
    SpeakerDesign m_readoutDesign;
    bool m_readoutShown = false;
    bool m_afterDrawPending = false;
    bool m_initialUpdateDone = false;
    // The units the volume fields show.
    UnitSystem m_unitsShown = UnitSystem::Imperial;
};

} // namespace orvane
