// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/design/DesignFile.h"

#include <QtTest>
#include <array>
#include <bit>
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
};

QTEST_APPLESS_MAIN(TestDesignFile)
#include "test_design_file.moc"
