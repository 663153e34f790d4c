// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/Fields.h"

#include <QtTest>

#include <set>

using namespace orvane;

class TestFields : public QObject {
    Q_OBJECT

private slots:
    // The table is looked up by position, and its names are unique: an
    // option or a key given twice would read or write the wrong value.
    void tableShape() {
        std::set<std::string_view> options, keys;
        std::size_t i = 0;
        for (const FieldInfo& f : Fields::All()) {
            QCOMPARE(std::size_t(f.id), i++);
            QCOMPARE(&Fields::Info(f.id), &f);
            QVERIFY2(keys.insert(f.key).second, f.key.data());
            if (!f.option.empty()) {
                QVERIFY2(options.insert(f.option).second, f.option.data());
                QCOMPARE(Fields::ByOption(f.option), &f);
            }
            // Bounds hold their own fallback and nothing past them.
            if (f.fallback && f.bounds.Ranged())
                QVERIFY(!Fields::Refusal(f, *f.fallback, UnitSystem::Imperial));
        }
        QCOMPARE(Fields::ByOption("no-such-option"), nullptr);
    }

    // Every stored number reads back what was written into its own place
    // and nowhere else; an extension value can be unset again.
    void access() {
        for (const FieldInfo& f : Fields::All()) {
            if (f.access.setNumber == nullptr)
                continue;
            SpeakerDesign d;
            const SpeakerDesign fresh = d;
            Fields::SetNumber(d, f.id, 7);
            QCOMPARE(*Fields::Number(d, f.id), 7.0);
            QVERIFY2(!d.SameBits(fresh), f.key.data());
            Fields::SetNumber(d, f.id, 3);
            for (const FieldInfo& other : Fields::All()) {
                if (other.id != f.id && other.access.number != nullptr)
                    QCOMPARE(Fields::Number(d, other.id), Fields::Number(fresh, other.id));
            }
            QCOMPARE(f.mayBeEmpty, f.home == FieldHome::Extension); // what can be unset
            if (f.mayBeEmpty) {
                Fields::SetNumber(d, f.id, std::nullopt);
                QCOMPARE(Fields::Number(d, f.id), f.fallback);
                QVERIFY(d.SameBits(fresh));
            }
        }
    }

    // The sentences the dialogs and orvane-cli show; a bound written with
    // its point ends the sentence once.
    void sentences_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<double>("shown");
        QTest::addColumn<bool>("metric");
        QTest::addColumn<QString>("sentence");
        const auto row = [](const char* tag, FieldId id, double shown, bool metric,
                            const char* sentence) {
            QTest::newRow(tag) << int(id) << shown << metric << QString(sentence);
        };
        row("Fs low", FieldId::Fs, 9.99, false, "Please enter a number between 10. and 20000.");
        row("Fs high", FieldId::Fs, 20000.5, false, "Please enter a number between 10. and 20000.");
        row("Fs bound", FieldId::Fs, 20000, false, "");
        row("upper", FieldId::FreqHigh, 20000.5, false,
            "Please enter a number between 20. and 20000.");
        row("height", FieldId::OuterHeight, 1000.5, false,
            "Please enter a number between 0.1 and 1000.");
        row("V1 litres", FieldId::V1, 283168.48, true,
            "Please enter a number between 0. and 283168.47.");
        row("V1 litres bound", FieldId::V1, 283168.47, true, "");
        row("port zero", FieldId::PortDiameter, 0, false, "");
        row("port cm", FieldId::PortDiameter, 0.2, true,
            "Please enter 0 or a number between 0.25 and 254.");
        row("QL", FieldId::Ql, 1e6, false, "Please enter a number between 0.1 and 100000.");
        row("Qtc", FieldId::Qtc, 10.5, false, "Please enter a number between 0.1 and 10.");
        row("drivers", FieldId::Drivers, 0, false, "Please enter an integer between 1 and 65535.");
        row("ports fraction", FieldId::Ports, 1.5, false,
            "Please enter an integer between 1 and 100.");
        row("no range", FieldId::Qts, -5, false, "");
        row("infinite", FieldId::Qts, HUGE_VAL, false, "Please enter a number.");
    }
    void sentences() {
        QFETCH(int, id);
        QFETCH(double, shown);
        QFETCH(bool, metric);
        const auto refusal = Fields::Refusal(Fields::Info(FieldId(id)), shown,
                                             metric ? UnitSystem::Metric : UnitSystem::Imperial);
        QTEST(QString::fromStdString(refusal.value_or("")), "sentence");
    }

    void labelsAndNames() {
        const auto label = [](FieldId id, UnitSystem u) {
            return QString::fromStdString(Fields::Label(Fields::Info(id), u));
        };
        QCOMPARE(label(FieldId::Vas, UnitSystem::Metric), QString("Vas (L)"));
        QCOMPARE(label(FieldId::Xmax, UnitSystem::Metric), QString("Xmax (mm)"));
        QCOMPARE(label(FieldId::ConeDiameter, UnitSystem::Metric), QString("Cone Diameter (cm)"));
        QCOMPARE(label(FieldId::F1, UnitSystem::Metric), QString("F1"));
        QCOMPARE(label(FieldId::Vas, UnitSystem::Imperial), QString("Vas (ft3)"));
        QCOMPARE(Fields::BoxTypeFromName("bANDPASS6"), BoxKind::Bandpass6);
        QCOMPARE(Fields::BoxTypeFromName("Bandpass"), std::nullopt);
        QVERIFY(!Fields::SpanAccepted(10, 20) && Fields::SpanAccepted(10, 20.5));
    }
};

QTEST_GUILESS_MAIN(TestFields)
#include "test_fields.moc"
