#include "RecordingSurface.h"
#include "sim/PrintPage.h"

#include <QtTest>
#include <limits>

using Kind = RecordingSurface::Kind;

class TestPrintPage : public QObject {
    Q_OBJECT
private slots:
    void example800x600OnA4Sized4800x6600() {
        SpeakerDesign d;
        d.m_fs = 30;
        d.m_qts = 0.4;
        d.m_vas = 3;
        d.m_v1 = 1.5;
        d.m_f1 = 51.96;
        d.m_boxType = "Vented";
        RecordingSurface s;
        int calls = 0;
        PrintPage(s, 4800, 6600, 0, 0, "spkr1", d, 800, 600, [&](DrawSurface& surface) {
            QCOMPARE(&surface, static_cast<DrawSurface*>(&s));
            ++calls;
            s.Marker("view");
        });
        QCOMPARE(calls, 1);
        struct Expect {
            int x, y;
            const char* text;
        };
        const Expect header[] = {{300, 60, "spkr1"},         {1200, 60, "Vented"},
                                 {300, 240, "Fs 30Hz"},      {300, 360, "Qts 0.40"},
                                 {300, 480, "Vas 3.00ft^3"}, {1320, 240, "Vb 1.50ft^3"},
                                 {1320, 360, "Fb 52Hz"}};
        QCOMPARE(s.ops.size(), size_t(7 + 3));
        for (size_t i = 0; i < 7; ++i) {
            QCOMPARE(s.ops[i].kind, Kind::Text);
            QCOMPARE(QPoint(s.ops[i].x, s.ops[i].y), QPoint(header[i].x, header[i].y));
            QCOMPARE(QString::fromStdString(s.ops[i].text), QString(header[i].text));
            QVERIFY(!s.ops[i].font); // the page's own font
        }
        // Scaling k/10 = 6 device pixels per client unit, origin 150 down.
        QCOMPARE(s.ops[7].kind, Kind::Scaling);
        QCOMPARE(QList<int>({s.ops[7].ext[0], s.ops[7].ext[1], s.ops[7].ext[2], s.ops[7].ext[3]}),
                 QList<int>({10, 10, 60, 60}));
        QCOMPARE(s.ops[8].kind, Kind::Origin);
        QCOMPARE(QPoint(s.ops[8].x, s.ops[8].y), QPoint(0, 150));
        QCOMPARE(s.ops[9].kind, Kind::Marker);
    }

    void layout_data() {
        QTest::addColumn<int>("pageW");
        QTest::addColumn<int>("pageH");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("boxTypeX");
        QTest::addColumn<QPoint>("origin");
        const int big = std::numeric_limits<int>::max();
        QTest::newRow("example") << 4800 << 6600 << 0 << 0 << "spkr1" << 800 << 600 << 60 << 1200
                                 << QPoint(0, 150);
        QTest::newRow("height limits")
            << 4800 << 3000 << 0 << 0 << "a" << 800 << 600 << 50 << 800 << QPoint(0, 150);
        QTest::newRow("floors") << 4799 << 6600 << 0 << 0 << "a" << 800 << 600 << 59 << 944
                                << QPoint(0, 150);
        QTest::newRow("page rect offset")
            << 4800 << 6600 << 25 << 40 << "a" << 800 << 600 << 60 << 960 << QPoint(25, 110);
        QTest::newRow("title in characters") << 4800 << 6600 << 0 << 0 << "Lautsprecher ä" << 800
                                             << 600 << 60 << 1740 << QPoint(0, 150);
        QTest::newRow("zero width client")
            << 4800 << 6600 << 0 << 0 << "a" << 0 << 600 << 110 << 1760 << QPoint(0, 150);
        QTest::newRow("negative height client")
            << 4800 << 6600 << 0 << 0 << "a" << 800 << -3 << 60 << 960 << QPoint(0, 150);
        QTest::newRow("no client at all")
            << 4800 << 6600 << 0 << 0 << "a" << 0 << 0 << 10 << 160 << QPoint(0, 150);
        QTest::newRow("tiny page")
            << 10 << 10 << 0 << 0 << "a" << 800 << 600 << 1 << 16 << QPoint(0, 150);
        QTest::newRow("huge page")
            << big << big << 0 << 0 << "a" << 1 << 1 << 1000000 << 16000000 << QPoint(0, 150);
        QTest::newRow("huge top") << 4800 << 6600 << 0 << -big << "a" << 800 << 600 << 60 << 960
                                  << QPoint(0, big);
    }
    void layout() {
        QFETCH(int, pageW);
        QFETCH(int, pageH);
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(QString, title);
        QFETCH(int, w);
        QFETCH(int, h);
        const PrintLayout l =
            ComputePrintLayout(pageW, pageH, left, top, title.toStdString(), w, h);
        QTEST(int(l.k), "k");
        QTEST(int(l.boxType.x), "boxTypeX");
        QFETCH(QPoint, origin);
        QCOMPARE(QPoint(l.origin.x, l.origin.y), origin);
    }
};

QTEST_APPLESS_MAIN(TestPrintPage)
#include "test_print_page.moc"
