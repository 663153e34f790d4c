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

} // namespace

class TestViewGraphs : public QObject {
    Q_OBJECT
private slots:
    // Each window keeps its own graph; Plot draws over the same graph,
    // another graph starts afresh. A remembered graph shows from the first
    // drawing on.
    void graphPerWindow() {
        ViewHost host(Analysed);
        for (auto& action : host.marks.graph) {
            action = new QAction(&host.actionOwner);
            action->setCheckable(true);
        }
        ViewHost second(Analysed, false);
        second.view->SetGraph(Graph::Excursion);
        second.Show();
        const QImage response = host.view->BackingImage();
        QList<Graph> chosen;
        QObject::connect(host.view.get(), &COrvaneView::graphChosen, [&](Graph g) { chosen << g; });
        host.view->OnGraph(Graph::Excursion);
        QCOMPARE(chosen, QList<Graph>{Graph::Excursion});
        QCOMPARE(ViewHost::Checked(host.marks.graph), 3);
        QCOMPARE(host.view->BackingImage(), second.view->BackingImage());
        QVERIFY(host.view->BackingImage() != response);
        const int one = BluePixels(host.view->BackingImage());
        host.doc.Design().m_extras.power = 4; // twice the excursion
        host.view->OnPlot();
        const int two = BluePixels(host.view->BackingImage());
        QVERIFY2(two > one * 3 / 2, qPrintable(QString("%1 %2").arg(one).arg(two)));
        host.view->OnGraph(Graph::Excursion);
        QVERIFY(BluePixels(host.view->BackingImage()) < two * 3 / 4);
        QCOMPARE(second.view->CurrentGraph(), Graph::Excursion);
    }

    // A Plot that needs a larger axis draws the window's earlier curve again
    // on the axis the new one chose: the new curve as a window of its own
    // shows it, and the old one besides. The CSV export has both.
    void plotWidensTheAxis() {
        ViewHost host(Analysed);
        host.view->OnGraph(Graph::Velocity);
        const int one = BluePixels(host.view->BackingImage());
        host.doc.Design().m_extras.power = 400; // twenty times the power
        host.view->OnPlot();
        ViewHost alone([](SpeakerDesign& d) {
            Analysed(d);
            d.m_extras.power = 400;
        });
        alone.view->OnGraph(Graph::Velocity);
        const QImage both = host.view->BackingImage(), single = alone.view->BackingImage();
        int missing = 0;
        for (int y = 60; y < single.height(); ++y)
            for (int x = 0; x < single.width(); ++x)
                missing += (single.pixel(x, y) & 0xffffff) == 0xff &&
                           both.pixel(x, y) != single.pixel(x, y);
        QCOMPARE(missing, 0);
        QVERIFY(BluePixels(both) > BluePixels(single) + one / 5); // the old one, a fifth as high
        const QString csv = QString::fromUtf8(*host.view->GraphFile(COrvaneView::FileFormat::Csv));
        QVERIFY(
            csv.startsWith("frequency (Hz),port 1 velocity (m/s),port 1 velocity (m/s) 2\n20,"));
    }

    // The pointer's frequency and the design's value there, in the status
    // bar's hook, after every drawing too; nothing once it leaves the plot. On 800 x 600 over 20 to
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
        QTRY_COMPARE(texts, QStringList({at200}));
        // Another graph under a still pointer reads its own values; a graph
        // that shows only a sentence none.
        host.view->OnGraph(Graph::Excursion);
        QVERIFY2(texts.last().startsWith("200 Hz   ") && texts.last().endsWith(" mm"),
                 qPrintable(texts.last()));
        host.doc.Design().m_extras.portDiameter.reset();
        host.view->OnGraph(Graph::Velocity);
        QCOMPARE(texts.last(), QString());
        host.view->OnGraph(Graph::Impedance);
        QTest::mouseMove(host.view.get(), QPoint(400, 20));
        QTRY_COMPARE(texts.size(), 5);
        QCOMPARE(texts.last(), QString());
    }

    // A graph the design cannot have says what is missing in the plot, and
    // so on the printed page, in client units below the header, laid out
    // alike from a window of any size.
    void missingValueOnScreenAndPage() {
        ViewHost host(
            [](SpeakerDesign& d) { d = WithOutputFigures(ReferenceDesign(BoxKind::Sealed)); });
        host.view->OnGraph(Graph::Impedance);
        QVERIFY(host.messages.isEmpty() && BluePixels(host.view->BackingImage()) == 0);
        RecordingSurface page;
        host.view->PrintPageOn(page, 4800, 6600);
        const auto texts = page.Of(RecordingSurface::Kind::Text);
        QVERIFY(std::any_of(texts.begin(), texts.end(), [](const auto& op) {
            return op.text == "The impedance needs Re." && op.x == 40 && op.y == 70;
        }));
        // The page is the same from a maximised window.
        host.view->resize(1700, 1000);
        RecordingSurface again;
        host.view->PrintPageOn(again, 4800, 6600);
        const auto Where = [](const RecordingSurface& s) {
            QStringList at;
            for (const auto& op : s.ops)
                at << QString("%1,%2,%3").arg(int(op.kind)).arg(op.x).arg(op.y);
            return at;
        };
        QCOMPARE(Where(again), Where(page));
        host.view->OnGraph(Graph::Response);
        QVERIFY(BluePixels(host.view->BackingImage()) > 100);
    }
};

QTEST_MAIN(TestViewGraphs)
#include "test_view_graphs.moc"
