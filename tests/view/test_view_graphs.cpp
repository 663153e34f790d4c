// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/RecordingSurface.h"
#include "tests/support/ViewHost.h"

#include <QMouseEvent>

using namespace orvane;

namespace {

// The reference analysis: a 10-inch driver in the vented reference box with
// a 3-inch port, Re 6 Ω and Pe 100 W.
void Analysed(SpeakerDesign& d) {
    d = AnalysedDesign(BoxKind::Vented);
    d.m_extras.portDiameter = 3;
}

int BluePixels(const QImage& image) {
    int count = 0;
    for (int y = 60; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xffffff) == 0x0000ff;
    }
    return count;
}

} // namespace

class TestViewGraphs : public QObject {
    Q_OBJECT
private slots:
    // Each window keeps its own graph; switching shows the design alone.
    void graphPerWindow() {
        ViewHost host(Analysed);
        for (auto& action : host.marks.graph) {
            action = new QAction(&host.actionOwner);
            action->setCheckable(true);
        }
        COrvaneView second(host.doc, host.marks);
        second.resize(800, 600);
        second.show();
        QVERIFY(QTest::qWaitForWindowExposed(&second));
        const QImage response = host.view->BackingImage();

        QList<Graph> chosen;
        QObject::connect(host.view.get(), &COrvaneView::graphChosen, [&](Graph g) { chosen << g; });
        host.view->OnGraph(Graph::Excursion);
        QCOMPARE(host.view->CurrentGraph(), Graph::Excursion);
        QCOMPARE(second.CurrentGraph(), Graph::Response);
        QCOMPARE(chosen, QList<Graph>{Graph::Excursion});
        QVERIFY(host.marks.graph[3]->isChecked());
        QCOMPARE(std::count_if(host.marks.graph.begin(), host.marks.graph.end(),
                               [](QAction* a) { return a->isChecked(); }),
                 1);
        QVERIFY(host.view->BackingImage() != response);
        QCOMPARE(second.BackingImage(), response);

        // Plot draws over the same graph; another graph starts afresh.
        const int one = BluePixels(host.view->BackingImage());
        host.doc.Design().m_extras.power = 4; // twice the excursion
        host.view->OnPlot();
        const int two = BluePixels(host.view->BackingImage());
        QVERIFY2(two > one * 3 / 2, qPrintable(QString("%1 %2").arg(one).arg(two)));
        host.view->OnGraph(Graph::Excursion);
        QVERIFY(BluePixels(host.view->BackingImage()) < two * 3 / 4);
    }

    // A graph the design cannot have says what is missing, in the plot.
    void missingValueIsNoMessage() {
        ViewHost host([](SpeakerDesign& d) { d = ReferenceDesign(BoxKind::Sealed); });
        host.view->OnGraph(Graph::Impedance);
        QVERIFY(host.messages.isEmpty());
        host.view->OnGraph(Graph::Response);
        QVERIFY(BluePixels(host.view->BackingImage()) > 100);
    }

    // The pointer's frequency and the design's value there, in the status
    // bar's hook; nothing once it leaves the plot. On 800 x 600 over 20 to
    // 2000 Hz a decade is 370 px: 200 Hz at x 400.
    void readoutAtAPixel() {
        ViewHost host(Analysed);
        host.view->OnGraph(Graph::Velocity);
        QStringList texts;
        QObject::connect(host.view.get(), &COrvaneView::readoutChanged,
                         [&](const QString& t) { texts << t; });
        const QString at200 = host.view->ReadoutAt(QPointF(400, 300));
        QVERIFY2(at200.startsWith("200 Hz   ") && at200.endsWith(" m/s (port 1)"),
                 qPrintable(at200));
        QCOMPARE(host.view->ReadoutAt(QPointF(400, 40)), QString()); // over the form
        QTest::mouseMove(host.view.get(), QPoint(400, 300));
        QTRY_COMPARE(texts.size(), 1);
        QCOMPARE(texts[0], at200);
        QTest::mouseMove(host.view.get(), QPoint(400, 20));
        QTRY_COMPARE(texts.size(), 2);
        QCOMPARE(texts[1], QString());

        // The response read-out: the level at the pointer in dB.
        host.view->OnGraph(Graph::Response);
        QVERIFY(host.view->ReadoutAt(QPointF(30, 300)).startsWith("20 Hz   \u2212"));
        QVERIFY(host.view->ReadoutAt(QPointF(30, 300)).endsWith(" dB"));
    }

    // The printed page carries the window's graph: here the sentence of an
    // impedance without Re, in client units below the header.
    void printsTheChosenGraph() {
        ViewHost host(
            [](SpeakerDesign& d) { d = WithOutputFigures(ReferenceDesign(BoxKind::Sealed)); });
        host.view->OnGraph(Graph::Impedance);
        RecordingSurface page;
        host.view->PrintPageOn(page, 4800, 6600);
        const auto texts = page.Of(RecordingSurface::Kind::Text);
        QVERIFY(std::any_of(texts.begin(), texts.end(), [](const auto& op) {
            return op.text == "The impedance needs Re." && op.x == 40 && op.y == 70;
        }));
        host.view->OnGraph(Graph::Response);
        RecordingSurface response;
        host.view->PrintPageOn(response, 4800, 6600);
        const auto lines = response.Of(RecordingSurface::Kind::Text);
        QVERIFY(std::none_of(lines.begin(), lines.end(),
                             [](const auto& op) { return op.text == "The impedance needs Re."; }));
    }

    // A remembered graph shows from the first drawing on.
    void graphBeforeFirstDraw() {
        ViewHost host(Analysed, false);
        host.view->SetGraph(Graph::Excursion);
        ViewHost response(Analysed, false);
        host.Show();
        response.Show();
        QVERIFY(host.view->BackingImage() != response.view->BackingImage());
        QCOMPARE(host.view->CurrentGraph(), Graph::Excursion);
    }
};

QTEST_MAIN(TestViewGraphs)
#include "test_view_graphs.moc"
