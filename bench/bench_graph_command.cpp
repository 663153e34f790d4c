// SPDX-License-Identifier: GPL-3.0-or-later
// The graph commands end to end on a full-HD design window: switching to a
// graph (erase, analysis, drawing, repaint) and Plot over it (read the form,
// analysis, drawing over the backing image, repaint), for each graph of a
// 6th-order bandpass box with both ports, over 20 000 points (10 to
// 20010 Hz). The target is 16 ms a command.
#include "bench/BenchTiming.h"
#include "core/design/COrvaneDoc.h"
#include "tests/support/ReferenceDesigns.h"
#include "view/COrvaneView.h"
#include "view/ViewMarks.h"

#include <QAction>
#include <QtTest>

using namespace orvane;

class BenchGraphCommand : public QObject {
    Q_OBJECT
private slots:
    void graphCommand_data() {
        QTest::addColumn<int>("graph");
        QTest::addColumn<bool>("plot");
        for (const Graph graph : kAllGraphs) {
            const std::string name(GraphName(graph));
            QTest::addRow("switch to %s", name.c_str()) << int(graph) << false;
            QTest::addRow("plot on %s", name.c_str()) << int(graph) << true;
        }
    }
    void graphCommand() {
        QFETCH(int, graph);
        QFETCH(bool, plot);
        COrvaneDoc doc;
        doc.OnNewDocument();
        SpeakerDesign& d = doc.Design();
        d = AnalysedDesign(BoxKind::Bandpass6);
        d.m_extras.portDiameter = 3;
        d.m_extras.port2Diameter = 3;
        d.m_freqLow = 10;
        d.m_freqHigh = 20010;
        QObject owner;
        ViewMarks marks;
        for (auto& a : marks.box)
            a = new QAction(&owner);
        for (auto& a : marks.amplitude)
            a = new QAction(&owner);
        COrvaneView view(doc, marks);
        view.resize(1920, 1080);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const auto chosen = static_cast<Graph>(graph);
        view.OnGraph(chosen);
        const bench::Timing t = bench::Measure(21, [&] {
            if (plot)
                view.OnPlot();
            else
                view.OnGraph(chosen);
            view.repaint();
        });
        bench::Report("graphCommand", QTest::currentDataTag(), t);
    }
};

QTEST_MAIN(BenchGraphCommand)
#include "bench_graph_command.moc"
