// SPDX-License-Identifier: GPL-3.0-or-later
// The design file's bytes: the record, then the extension block. The layout
// is a promise to every file already written, so it is checked byte for byte.
#include "core/chain/Stages.h"
#include "core/design/DesignExtension.h"
#include "core/design/DesignFile.h"
#include "core/design/Fields.h"

#include <QtTest>
#include <bit>
#include <functional>
#include <limits>

using namespace orvane;

using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(std::string)

namespace {

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
// Little-endian bytes of v, size of them.
Bytes LE(std::uint64_t v, int size) {
    Bytes out;
    for (int i = 0; i < size; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
    return out;
}
Bytes Doubles(std::initializer_list<double> values) {
    Bytes out;
    for (const double v : values)
        out = out + LE(std::bit_cast<std::uint64_t>(v), 8);
    return out;
}
Bytes Entry(std::uint16_t tag, const Bytes& value) {
    return LE(tag, 2) + LE(value.size(), 2) + value;
}
Bytes Block(const Bytes& payload, std::uint8_t version = 1) {
    return Bytes{'O', 'R', 'V', 'X', version} + LE(payload.size(), 4) + payload;
}
bool Fails(const Bytes& b, std::size_t n) {
    return !DesignFile::Parse(std::span(b.data(), n));
}

const double kNanPayload = std::bit_cast<double>(0xFFF0000000000ABCull);
const double kMinusInf = -std::numeric_limits<double>::infinity();
const Bytes kRecord = DesignFile::Store(SpeakerDesign{}); // the 121 bytes of a new design

// Every value distinct (qts 2.5, vas 3.5, ... efficiency 14.5), so a field
// stored at the wrong place shows; NaN and infinity must keep their bits.
SpeakerDesign Distinct(std::string type) {
    SpeakerDesign d;
    double v = 1.5;
    for (double* f : {&d.m_fs, &d.m_qts, &d.m_vas, &d.m_v1, &d.m_f1, &d.m_v2, &d.m_f2, &d.m_freqLow,
                      &d.m_freqHigh, &d.m_reserved1, &d.m_reserved2, &d.m_xmax, &d.m_coneDiameter,
                      &d.m_efficiency})
        *f = v++;
    d.m_fs = kMinusInf, d.m_f2 = kNanPayload, d.m_boxType = std::move(type);
    d.m_driverCount = 0xBEEF;
    return d;
}

// Every extra value set; NaN and -0 must keep their bits.
SpeakerDesign AllExtras() {
    SpeakerDesign d;
    DesignExtras& x = d.m_extras;
    x.name = "Wöofer 10\"", x.re = 6.2, x.qes = std::bit_cast<double>(0x7FF8000000000123ull);
    x.le = -0.0, x.pe = 150, x.power = 2.83, x.ql = 1e5, x.portDiameter = 3;
    x.ports = std::uint16_t(65535), x.port2Diameter = kMinusInf, x.ports2 = std::uint16_t(0);
    x.thickness = 0.75, x.kerf = 0.125, x.driverDisplacement = 0.04, x.bracingDisplacement = 0.01;
    x.radiatorDisplacement = 0.02, x.portWall = 0.1, x.portShape = std::uint16_t(1);
    x.slotWidth = 8, x.slotHeight = 2, x.portEnds = std::uint16_t(2), x.cutout = 9, x.shape = 1.26;
    x.outerWidth = 14, x.outerHeight = 22, x.prFs = 14.36, x.prVas = 2.55, x.prSd = 36.44;
    x.prDiameter = -0.0, x.prQms = 9.4, x.prXmax = 0.6, x.prCount = std::uint16_t(2);
    x.prMass = 28.15, x.prTune = 28, x.shapeHeight = 1.5, x.shapeDepth = 0.8;
    x.sheetLength = 96, x.sheetWidth = 48;
    SignalChain& c = x.chain;
    c.voltage = 2.83, c.seriesResistance = 0.3, c.ampPower = 500, c.ampVoltage = -0.0;
    c.wiring = Wiring{WiringKind::Grid, 2, 3}, c.coils = std::uint16_t(2);
    c.coilWiring = std::uint16_t(2), c.roomGainFc = 40, c.roomGainMax = 12;
    c.stages = {*ParseStage("hp:bw4:20"), *ParseStage("lt:50:0.9:25:0.707")};
    return d;
}

} // namespace

class TestDesignFile : public QObject {
    Q_OBJECT
private slots:
    // A new design is the example file; the file order differs from the
    // record's, and bytes after the record that are no block are ignored.
    // The box types are known by their exact names.
    void recordLayout() {
        Bytes example(121, 0);
        const Bytes at32 = Doubles({20, 2000}), at56 = {6, 'S', 'e', 'a', 'l', 'e', 'd', 1};
        std::copy(at32.begin(), at32.end(), example.begin() + 32);
        std::copy(at56.begin(), at56.end(), example.begin() + 56); // type, one driver
        QCOMPARE(kRecord, example);
        const Bytes expected = Doubles({kMinusInf, 3.5, 2.5, 4.5, 8.5, 9.5, 5.5}) + Bytes{0} +
                               LE(0xBEEF, 2) +
                               Doubles({11.5, 10.5, 12.5, 13.5, 14.5, 6.5, kNanPayload});
        QCOMPARE(DesignFile::Store(Distinct("")), expected);
        const auto back = DesignFile::Parse(expected + Bytes{0xAA, 0xFF, 0});
        QVERIFY(back && back->SameBits(Distinct("")));
        for (const BoxKind kind :
             {BoxKind::Sealed, BoxKind::Vented, BoxKind::Bandpass4, BoxKind::Bandpass6})
            QCOMPARE(BoxType::Classify(BoxType::Name(kind)), kind);
        QCOMPARE(BoxType::Classify("sealed"), BoxKind::Unknown);
    }

    // The type name's length prefix takes 1, 3 or 7 bytes; cut anywhere, the
    // file fails (every length near the fixed parts, a sample inside the text).
    void stringPrefixes_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<Bytes>("prefix");
        QTest::newRow("254") << 254 << Bytes{0xFE};
        QTest::newRow("255") << 255 << Bytes{0xFF, 0xFF, 0x00};
        QTest::newRow("65533") << 65533 << Bytes{0xFF, 0xFD, 0xFF};
        QTest::newRow("65534") << 65534 << Bytes{0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00};
    }
    void stringPrefixes() {
        QFETCH(int, length);
        QFETCH(Bytes, prefix);
        std::string name(std::size_t(length), 'x');
        name.back() = 'y'; // the last character lands where it should
        const Bytes b = DesignFile::Store(Distinct(name));
        QCOMPARE(b.size(), 114 + prefix.size() + std::size_t(length));
        QCOMPARE(Bytes(b.begin() + 56, b.begin() + 56 + std::ptrdiff_t(prefix.size())), prefix);
        const auto back = DesignFile::Parse(b);
        QVERIFY(back && back->SameBits(Distinct(name)));
        for (std::size_t n = 0; n < b.size(); n += (n > 80 && n + 80 < b.size()) ? 997 : 1)
            QVERIFY2(Fails(b, n), qPrintable(QString::number(n)));
    }

    // The 16-bit character form (FF FE FF, then a length in characters) loads as UTF-8.
    void utf16Form_data() {
        QTest::addColumn<std::u16string>("text");
        QTest::addColumn<Bytes>("lengthPrefix");
        QTest::addColumn<std::string>("utf8");
        const auto row = [](const char* tag, std::u16string text, Bytes prefix, std::string utf8) {
            QTest::newRow(tag) << text << prefix << utf8;
        };
        row("surrogate pair", u"a\U0001F50Ab", {4}, "a\xF0\x9F\x94\x8A\x62");
        row("lone low", {char16_t(0xDC00), u'c'}, {2}, "\xEF\xBF\xBD\x63");
        row("16-bit length", std::u16string(300, u'é'), {0xFF, 0x2C, 0x01},
            QString(300, QChar(0xE9)).toStdString());
    }
    void utf16Form() {
        QFETCH(std::u16string, text);
        QFETCH(Bytes, lengthPrefix);
        Bytes b = Doubles({30, 0, 0, 0, 20, 2000, 0}) + Bytes{0xFF, 0xFE, 0xFF} + lengthPrefix;
        for (const char16_t c : text)
            b = b + LE(c, 2);
        b = b + LE(2, 2) + Doubles({0, 0, 0, 0, 0, 0, 77.0});
        const auto d = DesignFile::Parse(b);
        QVERIFY(d && d->m_f2 == 77.0); // the last value, read after the text
        QTEST(d->m_boxType, "utf8");
        const auto again = DesignFile::Parse(DesignFile::Store(*d));
        QVERIFY(again && again->SameBits(*d));
        for (std::size_t n = 0; n < b.size(); ++n)
            QVERIFY2(Fails(b, n), qPrintable(QString::number(n)));
    }

    // The block follows the record: name first, then the values in tag
    // order. Without extra values a design is its record alone.
    void blockLayout() {
        SpeakerDesign d;
        Fields::Info(FieldId::Name).access.setText(d, "W\xC3\xB6");
        d.m_extras.ports = 2;
        d.m_extras.re = 6;
        const Bytes expected =
            kRecord + Bytes{'O', 'R', 'V', 'X', 1,   25,   0,    0, 0, // magic, version, length
                            1,   0,   3,   0,   'W', 0xC3, 0xB6,       // name
                            2,   0,   8,   0,   0,   0,    0,    0, 0, 0, 0x18, 0x40, // Re 6
                            9,   0,   2,   0,   2,   0};                              // two ports
        QCOMPARE(DesignFile::Store(d), expected);
        const auto back = DesignFile::Parse(expected);
        QVERIFY(back && back->SameBits(d) && back->m_keptExtension.blockRead);
    }

    // The chain's wiring and stages are entries of their own after its
    // numbers; a stage the analysis could not use makes the block unreadable.
    void chainLayout() {
        SpeakerDesign d;
        d.m_extras.chain.seriesResistance = 0.5;
        d.m_extras.chain.wiring = Wiring{WiringKind::Grid, 2, 3};
        d.m_extras.chain.stages = {*ParseStage("hp:q:25:0.5"), *ParseStage("gain:-3")};
        const Bytes stages = Bytes{0, 2, 2, 0} + Doubles({25, 0.5, 0, 0, 0}) + Bytes{6, 0, 0, 0} +
                             Doubles({0, 0, -3, 0, 0});
        const Bytes payload =
            Entry(41, Doubles({0.5})) + Entry(48, {2, 0, 2, 0, 3, 0}) + Entry(49, stages);
        QCOMPARE(DesignFile::Store(d), kRecord + Block(payload));
        Bytes badStage = stages;
        badStage[2] = 3; // a second-order stage of order 3
        for (const Bytes& bad : {Entry(49, badStage), Entry(48, {3, 0, 1, 0, 1, 0}),
                                 Entry(49, Bytes(stages.begin(), stages.end() - 1))}) {
            const auto back = DesignFile::Parse(kRecord + Block(bad));
            QVERIFY(back && !back->m_keptExtension.blockRead && !back->m_extras.AnySet());
        }
    }

    // Every value comes back bit for bit, and each one is part of what "the
    // design changed" means: set, unset and another value all count.
    void everyValue() {
        const SpeakerDesign all = AllExtras();
        const auto back = DesignFile::Parse(DesignFile::Store(all));
        QVERIFY(back && back->SameBits(all) && back->m_extras.name == all.m_extras.name);
        // Every value of the table unset and changed, then what the table
        // does not hold: the name, -0 against 0, the wiring and the stages.
        std::vector<std::function<void(SpeakerDesign&)>> changes = {
            [](auto& d) { d.m_extras.name = ""; }, [](auto& d) { d.m_extras.le = 0.0; },
            [](auto& d) { d.m_extras.chain.wiring->series = 3; },
            [](auto& d) { d.m_extras.chain.stages[1].targetQ = 0.5; },
            [](auto& d) { d.m_extras.chain.stages.pop_back(); }};
        for (const FieldInfo& f : Fields::All()) {
            if (f.home != FieldHome::Extension || f.access.setNumber == nullptr)
                continue;
            if (Fields::Number(all, f.id))
                changes.emplace_back([&f](auto& d) { Fields::SetNumber(d, f.id, std::nullopt); });
            changes.emplace_back([&f](auto& d) {
                Fields::SetNumber(d, f.id, Fields::Number(d, f.id) == 3 ? 2 : 3);
            });
        }
        for (const auto& change : changes) {
            SpeakerDesign changed = all;
            change(changed);
            QVERIFY(!changed.SameBits(all));
            const auto again = DesignFile::Parse(DesignFile::Store(changed));
            QVERIFY(again && again->SameBits(changed));
        }
    }

    // Entries with unknown tags survive loading and saving, with or without
    // new values, behind the program's own entries.
    void unknownTagsKept() {
        const Bytes unknown = Entry(0x1234, {'a', 'b', 'c'}) + Entry(0xFFFF, {}) + Entry(0, {7});
        const Bytes re = Entry(2, Doubles({6}));
        auto d = DesignFile::Parse(kRecord + Block(Entry(0x1234, {'a', 'b', 'c'}) + re +
                                                   Entry(0xFFFF, {}) + Entry(0, {7})));
        QVERIFY(d && d->m_extras.re == 6.0);
        QCOMPARE(d->m_keptExtension.unknownEntries, unknown);
        QCOMPARE(DesignFile::Store(*d), kRecord + Block(re + unknown));
        d->m_extras.re.reset();
        QCOMPARE(DesignFile::Store(*d), kRecord + Block(unknown));
        d->m_extras.pe = 100;
        const Bytes saved = DesignFile::Store(*d);
        QCOMPARE(saved, kRecord + Block(Entry(5, Doubles({100})) + unknown));
        const auto again = DesignFile::Parse(saved);
        QVERIFY(again && again->SameBits(*d) && again->m_keptExtension.unknownEntries == unknown);
    }

    // An earlier version's radiator count (tag 17) becomes prCount when the
    // file does not give that and it is a count prCount takes; otherwise it
    // is kept verbatim.
    void legacyRadiators_data() {
        QTest::addColumn<Bytes>("payload");
        QTest::addColumn<int>("prCount"); // 0: unset
        QTest::addColumn<Bytes>("kept");
        const Bytes two = Entry(17, {2, 0}), zero = Entry(17, {0, 0}), prs = Entry(33, {3, 0});
        QTest::newRow("adopted") << two << 2 << Bytes{};
        QTest::newRow("none") << zero << 0 << zero;
        QTest::newRow("over 100") << Entry(17, {101, 0}) << 0 << Entry(17, {101, 0});
        QTest::newRow("prCount given") << prs + two << 3 << two;
        QTest::newRow("twice") << two + two << 0 << two + two;
        QTest::newRow("4 bytes") << Entry(17, {2, 0, 0, 0}) << 0 << Entry(17, {2, 0, 0, 0});
    }
    void legacyRadiators() {
        QFETCH(Bytes, payload);
        QFETCH(Bytes, kept);
        const auto d = DesignFile::Parse(kRecord + Block(payload));
        QVERIFY(d);
        QTEST(int(d->m_extras.prCount.value_or(0)), "prCount");
        QCOMPARE(d->m_keptExtension.unknownEntries, kept);
        const auto again = DesignFile::Parse(DesignFile::Store(*d));
        QVERIFY(again && again->SameBits(*d) && again->m_keptExtension.unknownEntries == kept);
    }

    // What is no block is not read and goes back verbatim, until an extra
    // value is set: then a fresh block replaces it.
    void malformed_data() {
        QTest::addColumn<Bytes>("tail");
        const Bytes re = Entry(2, Doubles({6}));
        const auto changed = [&](std::size_t at, std::uint8_t to) {
            Bytes b = Block(re);
            b[at] = to;
            return b;
        };
        QTest::newRow("wrong magic") << changed(0, 'o');
        QTest::newRow("version 2") << Block(re, 2);
        QTest::newRow("length past the end") << changed(5, 13);
        QTest::newRow("bytes after the block") << Block(re) + Bytes{0};
        QTest::newRow("huge length") << changed(8, 0x80); // 2 GiB
        QTest::newRow("entry past the block") << changed(11, 9);
        QTest::newRow("entry header cut") << Block(re + Bytes{1, 0, 0});
        QTest::newRow("Re of 4 bytes") << Block(Entry(2, {0, 0, 0x80, 0x40}));
        QTest::newRow("ports of 8 bytes") << Block(Entry(9, Doubles({2})));
        QTest::newRow("Re twice") << Block(re + Entry(3, Doubles({1})) + re);
        QTest::newRow("magic cut") << Bytes{'O', 'R', 'V'};
    }
    void malformed() {
        QFETCH(Bytes, tail);
        auto d = DesignFile::Parse(kRecord + tail);
        QVERIFY(d && d->SameBits(SpeakerDesign{}));
        QVERIFY(!d->m_extras.AnySet() && !d->m_keptExtension.blockRead);
        QCOMPARE(DesignFile::Store(*d), kRecord + tail);
        d->m_extras.le = 0.5;
        QCOMPARE(DesignFile::Store(*d), kRecord + Block(Entry(4, Doubles({0.5}))));
    }

    // A file cut anywhere still loads once its record is complete, and saves
    // as the bytes it had.
    void truncated() {
        SpeakerDesign d = AllExtras();
        d.m_keptExtension.unknownEntries = Entry(77, {1, 2, 3});
        const Bytes file = DesignFile::Store(d);
        for (std::size_t n = 0; n <= file.size(); ++n) {
            const Bytes cut(file.begin(), file.begin() + std::ptrdiff_t(n));
            const auto back = DesignFile::Parse(cut);
            QVERIFY2(bool(back) == (n >= 121), qPrintable(QString::number(n)));
            if (!back)
                continue;
            QVERIFY(back->m_boxType == "Sealed" && back->m_freqHigh == 2000);
            QCOMPARE(back->m_extras.AnySet(), n == file.size());
            QCOMPARE(DesignFile::Store(*back), cut);
        }
    }

    // Names are cut to what an entry holds, at a character boundary.
    void longName() {
        const std::string full(DesignExtension::kMaxNameBytes, 'n');
        const std::string longer =
            full.substr(1) + "\xC3\xA9"; // é would end one byte past the limit
        for (const auto& [name, stored] : {std::pair{full, full}, {longer, full.substr(1)}}) {
            SpeakerDesign d;
            d.m_extras.name = name;
            const auto back = DesignFile::Parse(DesignFile::Store(d));
            QVERIFY(back && *back->m_extras.name == stored);
        }
    }
};

QTEST_APPLESS_MAIN(TestDesignFile)
#include "test_design_file.moc"
