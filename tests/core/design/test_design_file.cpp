// SPDX-License-Identifier: GPL-3.0-or-later
// The design file's bytes: the record, then the extension block.
#include "core/design/COrvaneDoc.h"
#include "core/design/DesignExtension.h"
#include "core/design/DesignFile.h"
#include "tests/support/TestFiles.h"

#include <QtTest>
#include <array>
#include <bit>
#include <functional>
#include <limits>

using namespace orvane;

using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(std::string)

namespace {

void Put(Bytes& out, std::uint64_t v, int size) {
    for (int i = 0; i < size; ++i)
        out.push_back(std::uint8_t(v >> (8 * i)));
}

void PutDoubles(Bytes& out, std::initializer_list<double> values) {
    for (const double v : values)
        Put(out, std::bit_cast<std::uint64_t>(v), 8);
}

std::array<double*, 14> Fields(SpeakerDesign& d) {
    return {&d.m_fs,        &d.m_qts,  &d.m_vas,          &d.m_v1,        &d.m_f1,
            &d.m_v2,        &d.m_f2,   &d.m_freqLow,      &d.m_freqHigh,  &d.m_reserved1,
            &d.m_reserved2, &d.m_xmax, &d.m_coneDiameter, &d.m_efficiency};
}

const double kNanPayload = std::bit_cast<double>(0xFFF0000000000ABCull);
const double kMinusInf = -std::numeric_limits<double>::infinity();

// Every value distinct (qts 2.5, vas 3.5, ... efficiency 14.5), so a field
// stored at the wrong place shows; NaN and infinity must keep their bits.
SpeakerDesign Distinct(std::string type) {
    SpeakerDesign d;
    double v = 1.5;
    for (double* f : Fields(d))
        *f = v++;
    d.m_fs = kMinusInf;
    d.m_f2 = kNanPayload;
    d.m_boxType = std::move(type);
    d.m_driverCount = 0xBEEF;
    return d;
}

Bytes Entry(std::uint16_t tag, const Bytes& value) {
    Bytes e;
    Put(e, tag, 2);
    Put(e, value.size(), 2);
    e.insert(e.end(), value.begin(), value.end());
    return e;
}

Bytes DoubleEntry(std::uint16_t tag, double v) {
    Bytes value;
    Put(value, std::bit_cast<std::uint64_t>(v), 8);
    return Entry(tag, value);
}

Bytes Block(const Bytes& payload, std::uint8_t version = 1) {
    Bytes b = {'O', 'R', 'V', 'X', version};
    Put(b, payload.size(), 4);
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The 121 bytes of a new design.
Bytes Record() {
    return DesignFile::Store(SpeakerDesign{});
}

const double kQuietNanPayload = std::bit_cast<double>(0x7FF8000000000123ull);

// Every extra value set; NaN and -0 must keep their bits.
DesignExtras AllExtras() {
    DesignExtras e;
    e.name = "Wöofer 10\"";
    e.re = 6.2;
    e.qes = kQuietNanPayload;
    e.le = -0.0;
    e.pe = 150;
    e.power = 2.83;
    e.ql = 1e5;
    e.portDiameter = 3;
    e.ports = 65535;
    e.port2Diameter = -std::numeric_limits<double>::infinity();
    e.ports2 = 0;
    return e;
}

SpeakerDesign WithExtras(DesignExtras extras) {
    SpeakerDesign d;
    d.m_extras = std::move(extras);
    return d;
}

std::string S(const QString& s) {
    return s.toStdString();
}

} // namespace

class TestDesignFile : public QObject {
    Q_OBJECT
private slots:
    void newDesignIsTheExampleFile() {
        Bytes expected(121, 0);
        const Bytes at32 = {0, 0, 0, 0, 0, 0, 0x34, 0x40, 0, 0, 0, 0, 0, 0x40, 0x9F, 0x40};
        const Bytes at56 = {6, 'S', 'e', 'a', 'l', 'e', 'd', 1};
        std::copy(at32.begin(), at32.end(), expected.begin() + 32); // 20 and 2000 Hz
        std::copy(at56.begin(), at56.end(), expected.begin() + 56); // type, one driver
        QCOMPARE(DesignFile::Store(SpeakerDesign{}), expected);
        const auto back = DesignFile::Parse(expected);
        QVERIFY(back && back->SameBits(SpeakerDesign{}));
    }

    // The file order differs from the record's; bytes after the end are ignored.
    void fieldLayout() {
        Bytes expected;
        PutDoubles(expected, {kMinusInf, 3.5, 2.5, 4.5, 8.5, 9.5, 5.5}); // fs vas qts v1 range f1
        expected.push_back(0);
        Put(expected, 0xBEEF, 2);
        PutDoubles(expected, {11.5, 10.5, 12.5, 13.5, 14.5, 6.5, kNanPayload}); // reserved .. f2
        QCOMPARE(DesignFile::Store(Distinct("")), expected);
        expected.insert(expected.end(), {0xAA, 0xFF, 0});
        const auto back = DesignFile::Parse(expected);
        QVERIFY(back && back->SameBits(Distinct("")));
    }

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
        // Cut anywhere it fails: every length near the fixed parts, a sample inside the text.
        for (std::size_t n = 0; n < b.size(); n += (n > 80 && n + 80 < b.size()) ? 997 : 1)
            QVERIFY2(!DesignFile::Parse(std::span(b.data(), n)), qPrintable(QString::number(n)));
    }

    // The 16-bit character form (FF FE FF, then a length in characters) loads as UTF-8.
    void utf16Form_data() {
        QTest::addColumn<std::u16string>("text");
        QTest::addColumn<Bytes>("lengthPrefix");
        QTest::addColumn<std::string>("utf8");
        QTest::newRow("surrogate pair") << std::u16string(u"a\U0001F50Ab") << Bytes{4}
                                        << std::string("a\xF0\x9F\x94\x8A"
                                                       "b");
        QTest::newRow("lone low") << std::u16string{char16_t(0xDC00), u'c'} << Bytes{2}
                                  << std::string("\xEF\xBF\xBD"
                                                 "c");
        QTest::newRow("16-bit length") << std::u16string(300, u'é') << Bytes{0xFF, 0x2C, 0x01}
                                       << QString(300, QChar(0xE9)).toStdString();
    }
    void utf16Form() {
        QFETCH(std::u16string, text);
        QFETCH(Bytes, lengthPrefix);
        QFETCH(std::string, utf8);
        Bytes b;
        PutDoubles(b, {30, 0, 0, 0, 20, 2000, 0});
        b.insert(b.end(), {0xFF, 0xFE, 0xFF});
        b.insert(b.end(), lengthPrefix.begin(), lengthPrefix.end());
        for (const char16_t c : text)
            Put(b, c, 2);
        Put(b, 2, 2);
        PutDoubles(b, {0, 0, 0, 0, 0, 0, 77.0});
        const auto d = DesignFile::Parse(b);
        QVERIFY(d);
        QCOMPARE(d->m_boxType, utf8);
        QCOMPARE(d->m_f2, 77.0); // the last value, read after the text
        const auto again = DesignFile::Parse(DesignFile::Store(*d));
        QVERIFY(again && again->SameBits(*d));
        for (std::size_t n = 0; n < b.size(); ++n)
            QVERIFY2(!DesignFile::Parse(std::span(b.data(), n)), qPrintable(QString::number(n)));
    }

    // --- the extension block ---

    // The block follows the record: name first, then the values in tag order.
    void layout() {
        DesignExtras e;
        e.ports = 2;
        e.re = 6;
        e.name = "W\xC3\xB6";
        const Bytes expected =
            Record() + Bytes{'O', 'R', 'V', 'X', 1,   25,   0,    0, 0, // magic, version, length
                             1,   0,   3,   0,   'W', 0xC3, 0xB6,       // name
                             2,   0,   8,   0,   0,   0,    0,    0, 0, 0, 0x18, 0x40, // Re 6
                             9,   0,   2,   0,   2,   0};                              // two ports
        QCOMPARE(DesignFile::Store(WithExtras(e)), expected);
        const auto back = DesignFile::Parse(expected);
        QVERIFY(back && back->SameBits(WithExtras(e)));
        QVERIFY(back->m_keptExtension.blockRead);
        // Without extra values a design is its record alone, as before.
        QCOMPARE(DesignFile::Store(SpeakerDesign{}).size(), std::size_t(121));
    }

    // Every value comes back bit for bit, and each one is part of what "the
    // design changed" means: set, unset and another value all count.
    void everyValue() {
        const SpeakerDesign all = WithExtras(AllExtras());
        const auto back = DesignFile::Parse(DesignFile::Store(all));
        QVERIFY(back && back->SameBits(all) && back->m_extras.name == all.m_extras.name);
        const std::vector<std::function<void(DesignExtras&)>> changes = {
            [](auto& e) { e.name = ""; },     [](auto& e) { e.re.reset(); },
            [](auto& e) { e.qes = 0.0; },     [](auto& e) { e.le = 0.0; }, // from -0
            [](auto& e) { e.pe = 151; },      [](auto& e) { e.power.reset(); },
            [](auto& e) { e.ql = 7; },        [](auto& e) { e.portDiameter.reset(); },
            [](auto& e) { e.ports = 1; },     [](auto& e) { e.port2Diameter = 2; },
            [](auto& e) { e.ports2.reset(); }};
        for (const auto& change : changes) {
            SpeakerDesign changed = all;
            change(changed.m_extras);
            QVERIFY(!changed.SameBits(all));
            const auto again = DesignFile::Parse(DesignFile::Store(changed));
            QVERIFY(again && again->SameBits(changed));
        }
    }

    // Entries with unknown tags survive loading and saving, with or without
    // new values, behind the program's own entries.
    void unknownTagsKept() {
        const Bytes unknown = Entry(0x1234, {'a', 'b', 'c'}) + Entry(0xFFFF, {}) + Entry(0, {7});
        const Bytes file = Record() + Block(Entry(0x1234, {'a', 'b', 'c'}) + DoubleEntry(2, 6) +
                                            Entry(0xFFFF, {}) + Entry(0, {7}));
        auto d = DesignFile::Parse(file);
        QVERIFY(d);
        QCOMPARE(d->m_extras.re, std::optional<double>(6));
        QCOMPARE(d->m_keptExtension.unknownEntries, unknown);
        QCOMPARE(DesignFile::Store(*d), Record() + Block(DoubleEntry(2, 6) + unknown));
        d->m_extras.re.reset();
        QCOMPARE(DesignFile::Store(*d), Record() + Block(unknown));
        d->m_extras.pe = 100;
        const Bytes saved = DesignFile::Store(*d);
        QCOMPARE(saved, Record() + Block(DoubleEntry(5, 100) + unknown));
        const auto again = DesignFile::Parse(saved);
        QVERIFY(again && again->SameBits(*d));
        QCOMPARE(again->m_keptExtension.unknownEntries, unknown);
    }

    // What is no block is not read and goes back verbatim, until an extra
    // value is set: then a fresh block replaces it.
    void malformed_data() {
        QTest::addColumn<Bytes>("tail");
        const Bytes re = DoubleEntry(2, 6);
        Bytes block = Block(re);
        block[0] = 'o';
        QTest::newRow("wrong magic") << block;
        QTest::newRow("version 2") << Block(re, 2);
        block = Block(re);
        block[5] += 1;
        QTest::newRow("length past the end") << block;
        QTest::newRow("bytes after the block") << Block(re) + Bytes{0};
        block = Block(re);
        block[8] = 0x80; // 2 GiB
        QTest::newRow("huge length") << block;
        block = Block(re);
        block[11] = 9; // Re's length 9, one byte past the block
        QTest::newRow("entry past the block") << block;
        QTest::newRow("entry header cut") << Block(re + Bytes{1, 0, 0});
        QTest::newRow("Re of 4 bytes") << Block(Entry(2, {0, 0, 0x80, 0x40}));
        QTest::newRow("ports of 8 bytes") << Block(DoubleEntry(9, 2));
        QTest::newRow("Re twice") << Block(re + DoubleEntry(3, 1) + re);
        QTest::newRow("magic cut") << Bytes{'O', 'R', 'V'};
        QTest::newRow("other bytes") << Bytes{0xAA, 0xFF, 0};
    }
    void malformed() {
        QFETCH(Bytes, tail);
        const Bytes file = Record() + tail;
        auto d = DesignFile::Parse(file);
        QVERIFY(d && d->SameBits(SpeakerDesign{}));
        QVERIFY(!d->m_extras.AnySet());
        QVERIFY(!d->m_keptExtension.blockRead);
        QCOMPARE(DesignFile::Store(*d), file);
        d->m_extras.le = 0.5;
        QCOMPARE(DesignFile::Store(*d), Record() + Block(DoubleEntry(4, 0.5)));
    }

    // A file cut anywhere still loads once its record is complete, and saves
    // as the bytes it had.
    void truncated() {
        SpeakerDesign d = WithExtras(AllExtras());
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
        std::string longer(DesignExtension::kMaxNameBytes - 1, 'n');
        longer += "\xC3\xA9"; // é would end one byte past the limit
        DesignExtras e;
        for (const auto& [name, stored] :
             {std::pair{full, full}, std::pair{longer, longer.substr(0, longer.size() - 2)}}) {
            e.name = name;
            const auto back = DesignFile::Parse(DesignFile::Store(WithExtras(e)));
            QVERIFY(back);
            QCOMPARE(*back->m_extras.name, stored);
        }
    }

    // Through the document: values are saved and loaded; an unreadable tail
    // survives a load and a save; a tail far larger than any block is left
    // unread, as readers of the record alone leave it.
    void document() {
        QTemporaryDir dir;
        const QString path = dir.filePath("extras.spk");
        COrvaneDoc doc;
        doc.Design().m_extras = AllExtras();
        QVERIFY(doc.Save(S(path)));
        COrvaneDoc loaded;
        QVERIFY(loaded.Load(S(path)));
        QVERIFY(loaded.Design().SameBits(doc.Design()));

        const Bytes odd = Record() + Bytes(5000, 0x5A);
        WriteBytes(path, odd);
        QVERIFY(loaded.Load(S(path)));
        QVERIFY(loaded.Save(S(path)));
        QCOMPARE(ReadVector(path), odd);

        Bytes huge = Record() + Block(DoubleEntry(2, 6));
        huge.resize(121 + DesignExtension::kMaxTailBytes + 1, 0);
        WriteBytes(path, huge);
        QVERIFY(loaded.Load(S(path)));
        QVERIFY(loaded.Design().SameBits(SpeakerDesign{}));
        QVERIFY(loaded.Save(S(path)));
        QCOMPARE(ReadVector(path), Record());
    }
};

QTEST_APPLESS_MAIN(TestDesignFile)
#include "test_design_file.moc"
