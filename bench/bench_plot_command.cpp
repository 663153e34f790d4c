// SPDX-License-Identifier: GPL-3.0-or-later
// The Plot command end to end on a full-HD design window, for each box type:
// read the form, compute the sweep, draw over the backing image and repaint
// the window. Over 10 to 20000 Hz (19990 points) and over a range of
// 1 000 000 points, the most a design file can ask for.
#include "bench/BenchTiming.h"
#include "core/design/COrvaneDoc.h"
#include "tests/support/ReferenceDesigns.h"
#include "view/COrvaneView.h"
#include "view/ViewMarks.h"

#include <QAction>
#include <QtTest>

using namespace orvane;

class BenchPlotCommand : public QObject {
    Q_OBJECT
private slots:
    void plotCommand_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("high");
        for (const BoxKind kind :
             {BoxKind::Sealed, BoxKind::Vented, BoxKind::Bandpass4, BoxKind::Bandpass6}) {
            QTest::addRow("%s 10-20000 Hz", BoxType::Name(kind).data()) << int(kind) << 20000.0;
            QTest::addRow("%s 1M points", BoxType::Name(kind).data()) << int(kind) << 1000010.0;
        }
    }
    void plotCommand() {
        QFETCH(int, kind);
        QFETCH(double, high);
        COrvaneDoc doc;
        doc.OnNewDocument();
        SpeakerDesign& d = doc.Design();
        d = WithOutputFigures(ReferenceDesign(BoxKind(kind)));
        d.m_freqLow = 10;
        d.m_freqHigh = high;
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
        const bench::Timing t = bench::Measure(high > 100000 ? 7 : 41, [&] {
            view.OnPlot();
            view.repaint();
        });
        bench::Report("plotCommand", QTest::currentDataTag(), t);
    }
};

QTEST_MAIN(BenchPlotCommand)
#include "bench_plot_command.moc"
