// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/plot/PrintPage.h"
#include "tests/support/RecordingSurface.h"
#include "tests/support/ReferenceDesigns.h"

#include <QtTest>

using namespace orvane;

using Kind = RecordingSurface::Kind;

class TestPrintPage : public QObject {
    Q_OBJECT
private slots:
    // 800 x 600 on a 4800 x 6600 page: k = 60, the header, then the view
    // drawn at 6 device pixels per unit, one line (60) below the Vas line,
    // which is 16 high and starts at 480.
    void example() {
        SpeakerDesign d = ReferenceDriver();
        d.m_v1 = 1.5;
        d.m_f1 = 51.96;
        d.m_boxType = "Vented";
        RecordingSurface s;
        int calls = 0;
        PrintPage(s, 4800, 6600, 0, 0, "spkr1", d, UnitSystem::Imperial, 800, 600,
                  [&](DrawSurface& surface) {
                      QCOMPARE(&surface, static_cast<DrawSurface*>(&s));
                      ++calls;
                      s.Marker("view");
                  });
        QCOMPARE(calls, 1);
        QStringList header;
        for (size_t i = 0; i < 7 && i < s.ops.size(); ++i) {
            QVERIFY(s.ops[i].kind == Kind::Text && !s.ops[i].font);
            header
                << QString("%1,%2 %3").arg(s.ops[i].x).arg(s.ops[i].y).arg(s.ops[i].text.c_str());
        }
        QCOMPARE(header, QStringList({"300,60 spkr1", "1200,60 Vented", "300,240 Fs 30Hz",
                                      "300,360 Qts 0.40", "300,480 Vas 3.00ft^3",
                                      "1320,240 Vb 1.50ft^3", "1320,360 Fb 52Hz"}));
        QCOMPARE(s.ops.size(), size_t(10));
        QCOMPARE(s.ops[7].kind, Kind::Scaling);
        QCOMPARE(s.ops[7].ext, (std::array<int, 4>{10, 10, 60, 60}));
        QCOMPARE(s.ops[8].kind, Kind::Origin);
        QCOMPARE(QPoint(s.ops[8].x, s.ops[8].y), QPoint(0, 480 + 16 + 60));
        QCOMPARE(s.ops[9].kind, Kind::Marker);
    }

    // In litres the volumes of the header convert (3 ft3 = 84.950539776 L,
    // 1.5 ft3 = 42.475269888 L); the places stay.
    void metricHeader() {
        SpeakerDesign d = ReferenceDriver();
        d.m_v1 = 1.5;
        d.m_f1 = 51.96;
        d.m_boxType = "Vented";
        RecordingSurface s;
        PrintPage(s, 4800, 6600, 0, 0, "spkr1", d, UnitSystem::Metric, 800, 600, {});
        QStringList header;
        for (size_t i = 0; i < 7 && i < s.ops.size(); ++i)
            header
                << QString("%1,%2 %3").arg(s.ops[i].x).arg(s.ops[i].y).arg(s.ops[i].text.c_str());
        QCOMPARE(header, QStringList({"300,60 spkr1", "1200,60 Vented", "300,240 Fs 30Hz",
                                      "300,360 Qts 0.40", "300,480 Vas 84.95L",
                                      "1320,240 Vb 42.48L", "1320,360 Fb 52Hz"}));
    }

    // The graph's origin stays 150 device pixels down while the header ends
    // at least one line above it, and otherwise moves to one line below the
    // header, at every resolution.
    void originBelowHeader_data() {
        QTest::addColumn<int>("pageWidth");
        QTest::addColumn<int>("lineHeight");
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("originY");
        // A page as fine as a screen: 8k + 16 + k = 133.
        QTest::newRow("coarse page") << 1100 << 16 << 13 << 150;
        // The header ending exactly one line above 150 still leaves it there.
        QTest::newRow("just fits") << 1100 << 33 << 13 << 150;
        QTest::newRow("one pixel more") << 1100 << 34 << 13 << 151;
        // 300 and 600 dpi letter-size pages (2550 and 5100 pixels wide).
        QTest::newRow("300 dpi") << 2550 << 50 << 31 << 248 + 50 + 31;
        QTest::newRow("600 dpi") << 5100 << 100 << 63 << 504 + 100 + 63;
    }
    void originBelowHeader() {
        QFETCH(int, pageWidth);
        QFETCH(int, lineHeight);
        QFETCH(int, k);
        QFETCH(int, originY);
        RecordingSurface s;
        s.ownFontHeight = lineHeight;
        PrintPage(s, pageWidth, 100000, 0, 0, "spkr1", SpeakerDesign{}, UnitSystem::Imperial, 800,
                  600, {});
        const auto scaling = s.Of(Kind::Scaling);
        const auto origin = s.Of(Kind::Origin);
        QCOMPARE(scaling.size(), size_t(1));
        QCOMPARE(scaling[0].ext[2], k);
        QCOMPARE(origin.size(), size_t(1));
        QCOMPARE(QPoint(origin[0].x, origin[0].y), QPoint(0, originY));
        // The Vas line is the header's lowest.
        for (const auto& text : s.Of(Kind::Text))
            QVERIFY(text.y <= 8 * k);
    }
};

QTEST_APPLESS_MAIN(TestPrintPage)
#include "test_print_page.moc"
