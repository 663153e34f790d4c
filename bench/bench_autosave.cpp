// SPDX-License-Identifier: GPL-3.0-or-later
// Autosave's cost on the GUI thread, per design: a round of SaveNow over 1
// and 20 modified designs that all changed since the last round (the design
// and its description put into bytes and handed to the disk thread). The
// target is 5 ms a design. For comparison, what the disk thread then does
// for one design: both files written all or nothing and flushed.
#include "app/Autosaver.h"
#include "app/CMainFrame.h"
#include "app/DocManager.h"
#include "bench/BenchTiming.h"
#include "core/design/Autosave.h"
#include "core/design/COrvaneDoc.h"
#include "core/design/DesignFile.h"
#include "tests/support/ReferenceDesigns.h"
#include "view/COrvaneView.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace orvane;

class BenchAutosave : public QObject {
    Q_OBJECT
private slots:
    void guiThreadRound_data() {
        QTest::addColumn<int>("designs");
        QTest::newRow("1 design") << 1;
        QTest::newRow("20 designs") << 20;
    }
    void guiThreadRound() {
        QFETCH(int, designs);
        QTemporaryDir dir;
        CMainFrame frame;
        DocManager docs(frame);
        for (int i = 0; i < designs; ++i)
            docs.OnFileNew()->GetDocument().Design() = AnalysedDesign(BoxKind::Bandpass6);
        Autosaver saver(docs, dir.filePath("autosave").toStdString(), 30);
        QVERIFY(saver.Writing());
        int settled = 0;
        connect(&saver, &Autosaver::settled, this, [&settled] { ++settled; });
        int round = 0;
        const bench::Timing t = bench::Measure(
            41,
            [&] {
                // The previous round is on the disk, and every design changed.
                QTRY_COMPARE_WITH_TIMEOUT(settled, round, 10000);
                for (COrvaneDoc* doc : docs.Documents())
                    doc->Design().m_v1 += 0.125;
                ++round;
            },
            [&] { saver.SaveNow(); });
        QTRY_COMPARE_WITH_TIMEOUT(settled, round, 10000);
        bench::Report("autosave GUI thread", QTest::currentDataTag(), t);
        std::printf("  per design: wall %.4f ms\n", t.wallMs / designs);
        saver.Finish();
        docs.CloseAllDocuments();
    }

    void diskThreadWrite() {
        QTemporaryDir dir;
        const std::string folder = dir.filePath("autosave").toStdString();
        QVERIFY(Autosave::MakePrivateFolder(folder));
        const std::vector<std::uint8_t> design =
            DesignFile::Store(AnalysedDesign(BoxKind::Bandpass6));
        const std::string text = Autosave::DescriptionText({"/home/user/box.spk", "box.spk", 0});
        const bench::Timing t = bench::Measure(41, [&] {
            if (!Autosave::Write(folder, "bench.1", design, text))
                qFatal("autosave not written");
        });
        bench::Report("autosave disk thread", "one design", t);
    }
};

QTEST_MAIN(BenchAutosave)
#include "bench_autosave.moc"
