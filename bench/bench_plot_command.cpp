// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/COrvaneDoc.h"
#include "view/COrvaneView.h"
#include "view/ViewMarks.h"

#include <QAction>
#include <QLineEdit>
#include <QtTest>

using namespace orvane;

// The Plot command end to end on a full-HD view: read the form, compute the
// 20..20000 Hz sweep (19980 points), draw over the backing image.
class BenchPlotCommand : public QObject {
    Q_OBJECT
private:
    void Run(bool repaint) {
        COrvaneDoc doc;
        doc.OnNewDocument();
        SpeakerDesign& d = doc.Design();
        d.m_fs = 30;
        d.m_qts = 0.4;
        d.m_vas = 3;
        d.m_v1 = 2;
        d.m_boxType = "Vented";
        d.m_freqLow = 20;
        d.m_freqHigh = 20000;
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
        QBENCHMARK {
            view.OnPlot();
            if (repaint)
                view.repaint();
        }
    }

private slots:
    void plotCommand() { Run(false); }
    void plotCommandAndRepaint() { Run(true); }
};

QTEST_MAIN(BenchPlotCommand)
#include "bench_plot_command.moc"
