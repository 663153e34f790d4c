// SPDX-License-Identifier: GPL-3.0-or-later
// Options > Units in the form and every dialog: what is typed in litres,
// centimetres and millimetres is stored in the record's units, and range
// messages state their bounds in the shown unit. The conversions' round
// trips are test_display_units'; the form's end to end through a file here.
#include "core/calc/TsCalc.h"
#include "core/text/Printf.h"
#include "platform/NumericText.h"
#include "platform/UnitChoice.h"
#include "tools/CAlignmentDlg.h"
#include "tools/CBoxCalcDlg.h"
#include "tools/CDriverEntryDlg.h"
#include "tools/CDriverParamsDlg.h"
#include "tools/CPortCalcDlg.h"
#include "tools/CTSParamsDlg.h"
#include "tools/ToolCommands.h"

#include "tests/support/DialogTestUtil.h"
#include "tests/support/ViewHost.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>

using namespace orvane;
using Field = COrvaneView::Field;

Q_DECLARE_METATYPE(orvane::UnitSystem)

namespace {

// 0.3048³ m³ in litres, 0.0254 m in cm and mm: the definitions.
const double kLitres = 0.3048 * 0.3048 * 0.3048 * 1000;
const double kCentimetres = 2.54;
const double kMillimetres = 25.4;

// The units for one test; imperial again after it, whatever happened.
class UnitsScope {
public:
    explicit UnitsScope(UnitSystem units) { UnitChoice::Set(units); }
    ~UnitsScope() { UnitChoice::Set(UnitSystem::Imperial); }
    UnitsScope(const UnitsScope&) = delete;
    UnitsScope& operator=(const UnitsScope&) = delete;
};

// The text the fields' display rule gives a typed number.
QString Shown(const QString& typed) {
    return NumericText::FormatNumber(NumericText::ReadNumber(typed).value());
}

bool Near(double a, double b) {
    return std::abs(a - b) <= 1e-14 * std::max(std::abs(a), std::abs(b));
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Saves the design to a file and loads it back, as File Save and File Open do.
SpeakerDesign SavedAndLoaded(COrvaneDoc& doc) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("units.spk").toStdString();
    if (!doc.Save(path))
        qFatal("cannot save %s", path.c_str());
    COrvaneDoc back;
    if (!back.Load(path))
        qFatal("cannot load %s", path.c_str());
    return back.Design();
}

bool HasLabel(QWidget* dialog, const QString& text) {
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label->text() == text)
            return true;
    }
    return false;
}

const char* const kTypedValues[] = {"1.23456789", "1e-3"};

} // namespace

class TestUnits : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { UnitChoice::Set(UnitSystem::Imperial); }

    // Both volume fields: type, plot, save, reload, read the same text.
    void formRoundTrip_data() {
        QTest::addColumn<QString>("typed");
        for (const char* typed : kTypedValues)
            QTest::newRow(typed) << QString::fromLatin1(typed);
    }
    void formRoundTrip() {
        QFETCH(QString, typed);
        const UnitsScope metric(UnitSystem::Metric);
        ViewHost host(Starting(ReferenceDesign(BoxKind::Bandpass4)));
        QCOMPARE(host.view->Form()->FieldLabel(Field::V1)->text(), QString("V1 (L)"));
        QCOMPARE(host.view->Form()->FieldLabel(Field::V2)->text(), QString("V2 (L)"));
        host.Plot(Field::V1, typed);
        host.Plot(Field::V2, typed);
        QCOMPARE(host.messages, QStringList());
        const double litres = NumericText::ReadNumber(typed).value();
        QVERIFY(Near(host.doc.Design().m_v1 * kLitres, litres));
        QVERIFY(Near(host.doc.Design().m_v2 * kLitres, litres));

        ViewHost back(Starting(SavedAndLoaded(host.doc)));
        QCOMPARE(back.Edit(Field::V1)->text(), Shown(typed));
        QCOMPARE(back.Edit(Field::V2)->text(), Shown(typed));
    }

    // A field whose text is left alone stands for the stored value exactly:
    // a design from a file in cubic feet plots unchanged in litres.
    void formKeepsUntouchedValues() {
        const UnitsScope metric(UnitSystem::Metric);
        ViewHost host(Starting(ReferenceDesign(BoxKind::Bandpass4)));
        QCOMPARE(host.Edit(Field::V1)->text(), QString("28.316846592"));
        const SpeakerDesign before = host.doc.Design();
        host.view->OnPlot();
        QVERIFY(before.SameBits(host.doc.Design()));
        QVERIFY(!host.doc.IsModified());
    }

    void formRangeMessage_data() {
        QTest::addColumn<UnitSystem>("units");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // empty: accepted
        const UnitSystem imperial = UnitSystem::Imperial;
        const UnitSystem metric = UnitSystem::Metric;
        QTest::newRow("ft3 above") << imperial << "10000.01"
                                   << "Please enter a number between 0. and 10000.";
        // 10000 ft3 = 283168.46592 L, stated and checked as 283168.47.
        QTest::newRow("L above") << metric << "283168.48"
                                 << "Please enter a number between 0. and 283168.47.";
        QTest::newRow("L largest") << metric << "283168.47"
                                   << "";
        QTest::newRow("L below") << metric << "-0.01"
                                 << "Please enter a number between 0. and 283168.47.";
    }
    void formRangeMessage() {
        QFETCH(UnitSystem, units);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        const UnitsScope scope(units);
        ViewHost host(Starting(ReferenceDesign(BoxKind::Sealed)));
        host.Plot(Field::V1, typed);
        QCOMPARE(host.messages, message.isEmpty() ? QStringList() : QStringList{message});
    }

    // Switching shows every volume field in the new unit at once: the
    // program's values exactly, what the user typed read in the old unit.
    void switchingUnitsKeepsTheValues() {
        ViewHost host(Starting(ReferenceDesign(BoxKind::Bandpass4)));
        QCOMPARE(host.Edit(Field::V1)->text(), QString("1."));
        const SpeakerDesign before = host.doc.Design();

        UnitChoice::Set(UnitSystem::Metric);
        host.view->OnUnitsChanged();
        QCOMPARE(host.view->Form()->FieldLabel(Field::V1)->text(), QString("V1 (L)"));
        QCOMPARE(host.Edit(Field::V1)->text(), QString("28.316846592"));
        QCOMPARE(host.Edit(Field::V2)->text(), QString("28.316846592"));
        host.Type(Field::V2, "10");

        UnitChoice::Set(UnitSystem::Imperial);
        host.view->OnUnitsChanged();
        QCOMPARE(host.view->Form()->FieldLabel(Field::V1)->text(), QString("V1 (ft3)"));
        QCOMPARE(host.view->Form()->FieldLabel(Field::V2)->text(), QString("V2 (ft3)"));
        QCOMPARE(host.Edit(Field::V1)->text(), QString("1."));
        QCOMPARE(host.Edit(Field::V2)->text(), NumericText::FormatNumber(10 / kLitres));

        host.view->OnPlot();
        QVERIFY(SameBits(host.doc.Design().m_v1, before.m_v1));
        QVERIFY(Near(host.doc.Design().m_v2, 10 / kLitres));
        // The form is laid out for its texts in either unit.
        const QRect v1 = host.Edit(Field::V1)->geometry();
        QVERIFY(!v1.intersects(host.view->Form()->FieldLabel(Field::V1)->geometry()));
    }

    // Each converted field of Driver Parameters: typed, OK, stored in the
    // record's unit.
    void driverParamsRoundTrip_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<double>("perStoredUnit");
        QTest::addColumn<QString>("typed");
        QTest::newRow("vas") << QByteArray("vas") << kLitres << "1.23456789";
        QTest::newRow("coneDiameter") << QByteArray("coneDiameter") << kCentimetres << "0.1";
        QTest::newRow("xmax") << QByteArray("xmax") << kMillimetres << "1e-3";
    }
    void driverParamsRoundTrip() {
        QFETCH(QByteArray, field);
        QFETCH(double, perStoredUnit);
        QFETCH(QString, typed);
        const UnitsScope metric(UnitSystem::Metric);
        ViewHost host(Starting(WithOutputFigures(ReferenceDesign(BoxKind::Vented))), false);
        {
            ModalDriver<CDriverParamsDlg> type([&](CDriverParamsDlg& dlg) {
                Type(&dlg, field.constData(), typed);
                Click(&dlg, "OK");
            });
            ToolCommands::OnDriverParams(*host.view);
            QCOMPARE(type.opened, 1);
        }
        const SpeakerDesign& d = host.doc.Design();
        const double stored = field == "vas"    ? d.m_vas
                              : field == "xmax" ? d.m_xmax
                                                : d.m_coneDiameter;
        QVERIFY(Near(stored * perStoredUnit, NumericText::ReadNumber(typed).value()));
    }

    // Labels and texts in metric; OK without a change changes nothing.
    void driverParamsShowsMetric() {
        const UnitsScope metric(UnitSystem::Metric);
        ViewHost host(Starting(WithOutputFigures(ReferenceDesign(BoxKind::Vented))), false);
        const SpeakerDesign before = host.doc.Design();
        QStringList texts;
        bool labels = false;
        ModalDriver<CDriverParamsDlg> driver([&](CDriverParamsDlg& dlg) {
            for (const char* name : {"vas", "coneDiameter", "xmax"})
                texts << Child(&dlg, name)->text();
            labels = HasLabel(&dlg, "Vas (L)") && HasLabel(&dlg, "Cone Diameter (cm)") &&
                     HasLabel(&dlg, "Xmax (mm)");
            Click(&dlg, "OK");
        });
        ToolCommands::OnDriverParams(*host.view);
        QVERIFY(labels);
        // 3 ft3, 10 in, 0.25 in.
        QCOMPARE(texts, QStringList({"84.950539776", "25.4", "6.35"}));
        QVERIFY(before.SameBits(host.doc.Design()));
        QVERIFY(!host.doc.IsModified());
    }

    // The sealed table, the driver line and the volume entry in litres; a
    // volume typed in litres goes into the design and the form as typed.
    void alignmentsInLitres() {
        const QString typed = "56.123456789"; // a box the driver tunes in within 0.5 dB
        const UnitsScope metric(UnitSystem::Metric);
        ViewHost host(Starting(ReferenceDesign(BoxKind::Vented)), false);
        QString header, driverLine, volume, sealedV1;
        {
            ModalDriver<CAlignmentDlg> apply([&](CAlignmentDlg& dlg) {
                auto* sealed = Child<QTableWidget>(&dlg, "sealedTable");
                header = sealed->horizontalHeaderItem(1)->text();
                sealedV1 = sealed->item(1, 1)->text(); // Qtc 0.707
                driverLine = Child<QLabel>(&dlg, "driver")->text();
                volume = Child(&dlg, "volume")->text();
                Type(&dlg, "volume", typed);
                Click(&dlg, "Apply");
            });
            ToolCommands::OnAlignments(*host.view);
        }
        QCOMPARE(header, QString("V1 (L)"));
        QCOMPARE(driverLine, QString("Fs 30.0 Hz    Qts 0.400    Vas 84.95 L    Drivers 1"));
        QCOMPARE(volume, QString("56.633693184")); // the design's 2 ft3
        // V1 = Vas / ((Qtc/Qts)² - 1), in litres.
        const double v1 = 3 / (std::pow(0.707 / 0.4, 2) - 1) * kLitres;
        QCOMPARE(sealedV1, QString::fromStdString(Printf("%.2f", v1)));

        const double litres = NumericText::ReadNumber(typed).value();
        QVERIFY(Near(host.doc.Design().m_v1 * kLitres, litres));
        QCOMPARE(host.Edit(Field::V1)->text(), Shown(typed));
    }

    // The test box in litres; Vas shown in litres and used in cubic feet.
    void tsParametersInLitres() {
        const UnitsScope metric(UnitSystem::Metric);
        ViewHost host(Starting(ReferenceDesign(BoxKind::Vented)), false);
        const std::pair<const char*, const char*> measured[] = {
            {"fs", "30"}, {"re", "6"}, {"zmax", "54"}, {"f1", "20"}, {"f2", "45"}, {"fc", "60"}};
        QString vas;
        bool labels = false;
        ModalDriver<CTSParamsDlg> use([&](CTSParamsDlg& dlg) {
            for (const auto& [name, text] : measured)
                Type(&dlg, name, text);
            Type(&dlg, "vb", "28.316846592"); // one cubic foot
            vas = Child(&dlg, "vasResult")->text();
            labels = HasLabel(&dlg, "L test box") && HasLabel(&dlg, "Vas (L)");
            Click(&dlg, "Use Results");
        });
        ToolCommands::OnTsParams(*host.view);
        QVERIFY(labels);
        const TsCalc::Results r = TsCalc::Compute({30, 6, 54, 20, 45, 60, 1}, 0.0);
        QVERIFY(r.vas.has_value());
        QCOMPARE(vas, QString::fromStdString(Printf("%.3f", *r.vas * kLitres)));
        QVERIFY(Near(host.doc.Design().m_vas, *r.vas));
    }

    // A port typed in centimetres: its length is the inch formula's, shown
    // in centimetres.
    void portCalculatorInCentimetres() {
        const UnitsScope metric(UnitSystem::Metric);
        SpeakerDesign design = WithOutputFigures(ReferenceDesign(BoxKind::Vented));
        design.m_f1 = 35;
        ViewHost host(Starting(design), false);
        QString volumeLine, length, effective;
        bool labels = false;
        ModalDriver<CPortCalcDlg> driver([&](CPortCalcDlg& dlg) {
            Type(&dlg, "diameter", "7.62"); // 3 in
            volumeLine = Child<QLabel>(&dlg, "alignmentVolume")->text();
            length = Child(&dlg, "length")->text();
            effective = Child<QLabel>(&dlg, "effectiveDiameter")->text();
            labels = HasLabel(&dlg, "Port Diameter (cm)") && HasLabel(&dlg, "Port Length (cm)");
            Click(&dlg, "OK");
        });
        ToolCommands::OnPortCalc(*host.view);
        QVERIFY(labels);
        QCOMPARE(volumeLine, QString("Vb  56.63 litres"));
        const double inches = 3 * (2116.609 * 3 / (2 * 35 * 35) - 0.7315);
        QCOMPARE(length, QString::fromStdString(Printf("%.2f", inches * kCentimetres)));
        QCOMPARE(effective, QString("7.62 cm"));
        // OK offers the port to the analysis; not taken, nothing changes.
        QCOMPARE(host.messages, QStringList{"Use these ports for the analysis?"});
        QVERIFY(!host.doc.Design().m_extras.portDiameter);
    }

    // Dimensions in centimetres whose product is the volume typed in litres.
    void boxCalculatorInCentimetres() {
        const UnitsScope metric(UnitSystem::Metric);
        SpeakerDesign design = ReferenceDesign(BoxKind::Sealed);
        design.m_v1 = 1;
        ViewHost host(Starting(design), false);
        QString volume;
        double product = 0;
        bool labels = false;
        ModalDriver<CBoxCalcDlg> driver([&](CBoxCalcDlg& dlg) {
            volume = Child(&dlg, "volume")->text();
            product = 1;
            for (const char* name : {"width", "height", "depth"})
                product *= NumericText::ReadNumber(Child(&dlg, name)->text()).value();
            labels = HasLabel(&dlg, "Box Volume (L)") && HasLabel(&dlg, "Width (cm)") &&
                     HasLabel(&dlg, "Height (cm)") && HasLabel(&dlg, "Depth (cm)");
            Click(&dlg, "Cancel");
        });
        ToolCommands::OnBoxCalc(*host.view);
        QVERIFY(labels);
        QCOMPARE(volume, QString("28.32"));
        // 28.32 L is 28320 cm³; three figures of three decimals each.
        QVERIFY(std::abs(product - 28320) < 0.5);
    }

    // The library's entry dialog: shown and typed in metric, kept in the
    // record's units.
    void driverEntryRoundTrip() {
        const QString typed = "1.23456789";
        const UnitsScope metric(UnitSystem::Metric);
        MessageCapture messages;
        DriverEntry entry;
        entry.maker = "Maker";
        entry.model = "Model";
        entry.fs = 30;
        entry.qts = 0.4;
        entry.vas = 3;
        CDriverEntryDlg dlg(QStringLiteral("Edit Driver"));
        dlg.m_entry = entry;
        dlg.show();
        QVERIFY(HasLabel(&dlg, "Vas (L)") && HasLabel(&dlg, "Cone Diameter (cm)") &&
                HasLabel(&dlg, "Xmax (mm)"));
        QCOMPARE(Child(&dlg, "vas")->text(), QString("84.950539776"));
        for (const char* name : {"vas", "coneDiameter", "xmax"})
            Type(&dlg, name, typed);
        dlg.accept();
        QCOMPARE(messages.texts, QStringList());
        const double shown = NumericText::ReadNumber(typed).value();
        QVERIFY(Near(dlg.m_entry.vas * kLitres, shown));
        QVERIFY(Near(dlg.m_entry.coneDiameter.value() * kCentimetres, shown));
        QVERIFY(Near(dlg.m_entry.xmax.value() * kMillimetres, shown));
    }
};

QTEST_MAIN(TestUnits)
#include "test_units.moc"
