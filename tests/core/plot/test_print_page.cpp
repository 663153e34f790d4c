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
    // drawn at 6 device pixels per unit, 150 down.
    void example() {
        SpeakerDesign d = ReferenceDriver();
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
        QCOMPARE(QPoint(s.ops[8].x, s.ops[8].y), QPoint(0, 150));
        QCOMPARE(s.ops[9].kind, Kind::Marker);
    }
};

QTEST_APPLESS_MAIN(TestPrintPage)
#include "test_print_page.moc"
