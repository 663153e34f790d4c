// SPDX-License-Identifier: GPL-3.0-or-later
// The printed page: the header above the view's drawing, scaled to the page.
#include "core/plot/PrintPage.h"
#include "tests/support/RecordingSurface.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>

using namespace orvane;

using Kind = RecordingSurface::Kind;

class TestPrintPage : public QObject {
    Q_OBJECT
private slots:
    // 800 x 600 on a 4800 x 6600 page: k = 60, the header (the type placed
    // after the title's characters), then the view at 6 device pixels per
    // unit, one line (60) below the Vas line, which is 16 high and starts
    // at 480. In litres 3 ft3 = 84.950539776 L, 1.5 ft3 = 42.475269888 L.
    void header_data() {
        QTest::addColumn<int>("units");
        QTest::addColumn<QString>("header");
        const QString both = "300,60 spkr\u00e9|1200,60 Vented|300,240 Fs 30Hz|300,360 Qts 0.40|";
        QTest::newRow("imperial")
            << int(UnitSystem::Imperial)
            << both + "300,480 Vas 3.00ft^3|1320,240 Vb 1.50ft^3|1320,360 Fb 52Hz";
        QTest::newRow("metric") << int(UnitSystem::Metric)
                                << both + "300,480 Vas 84.95L|1320,240 Vb 42.48L|1320,360 Fb 52Hz";
        // A bandpass box's second chamber and its drivers: V2 at (39k, 4k).
        QTest::newRow("bandpass")
            << -1
            << "300,60 spkr\u00e9|1200,60 Bandpass6|300,240 Fs 30Hz|300,360 Qts 0.40|300,480 "
               "Vas 3.00ft^3|1320,240 Vb 1.50ft^3|1320,360 Fb 52Hz|2340,240 V2 0.75ft^3|2340,360 "
               "F2 80Hz|1320,480 Drivers 2";
    }
    void header() {
        QFETCH(int, units);
        SpeakerDesign d = ReferenceDriver();
        d.m_v1 = 1.5, d.m_f1 = 51.96, d.m_boxType = units < 0 ? "Bandpass6" : "Vented";
        d.m_v2 = 0.75, d.m_f2 = 80, d.m_driverCount = units < 0 ? 2 : 1;
        RecordingSurface s;
        std::vector<size_t> calls; // how many ops came before the view drew

        PrintPage(s, 4800, 6600, 0, 0, "spkr\u00e9", d, UnitSystem(std::max(units, 0)), 800, 600,
                  [&](DrawSurface& surface) {
                      QCOMPARE(&surface, static_cast<DrawSurface*>(&s));
                      calls.push_back(s.ops.size());
                  });
        QStringList texts;
        for (const auto& op : s.Of(Kind::Text))
            texts << QString("%1,%2 %3").arg(op.x).arg(op.y).arg(QString::fromStdString(op.text));
        QTEST(texts.join('|'), "header");
        const size_t ops = s.Of(Kind::Text).size() + 2;
        QCOMPARE(calls, std::vector<size_t>{ops});
        QCOMPARE(s.ops[ops - 2].kind, Kind::Scaling);
        QCOMPARE(s.ops[ops - 2].ext, (std::array<int, 4>{10, 10, 60, 60}));
        QVERIFY(s.ops[ops - 1].kind == Kind::Origin && s.ops[ops - 1].x == 0 &&
                s.ops[ops - 1].y == 480 + 16 + 60);
    }

    // The graph's origin stays 150 device pixels down while the header ends
    // at least one line above it, and otherwise moves to one line below the
    // header, at every resolution; the Vas line is the header's lowest.
    void originBelowHeader_data() {
        QTest::addColumn<int>("pageWidth");
        QTest::addColumn<int>("lineHeight");
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("originY");
        QTest::newRow("coarse page") << 1100 << 16 << 13 << 150; // 8k + 16 + k = 133
        QTest::newRow("one pixel more") << 1100 << 34 << 13 << 151;
        QTest::newRow("300 dpi letter") << 2550 << 50 << 31 << 248 + 50 + 31;
    }
    void originBelowHeader() {
        QFETCH(int, pageWidth);
        QFETCH(int, lineHeight);
        QFETCH(int, k);
        RecordingSurface s;
        s.ownFontHeight = lineHeight;
        PrintPage(s, pageWidth, 100000, 0, 0, "spkr1", SpeakerDesign{}, UnitSystem::Imperial, 800,
                  600, {});
        const auto scaling = s.Of(Kind::Scaling), origin = s.Of(Kind::Origin);
        QVERIFY(scaling.size() == 1 && scaling[0].ext[2] == k && origin.size() == 1);
        QCOMPARE(origin[0].x, 0);
        QTEST(origin[0].y, "originY");
        for (const auto& text : s.Of(Kind::Text))
            QVERIFY(text.y <= 8 * k);
    }
};

QTEST_APPLESS_MAIN(TestPrintPage)
#include "test_print_page.moc"
