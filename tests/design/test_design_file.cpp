#include "DesignBytes.h"
#include "design/DesignFile.h"

#include <QtTest>
#include <cmath>
#include <limits>

using namespace DesignBytes;

Q_DECLARE_METATYPE(DesignBytes::Bytes)
Q_DECLARE_METATYPE(std::string)

namespace {

// Everything but the string distinct, so a field read from the wrong place
// shows.
SpeakerDesign Distinct(std::string type) {
    SpeakerDesign d;
    d.m_fs = 1.5;
    d.m_qts = 2.5;
    d.m_vas = 3.5;
    d.m_v1 = 4.5;
    d.m_f1 = 5.5;
    d.m_v2 = 6.5;
    d.m_f2 = 7.5;
    d.m_freqLow = 8.5;
    d.m_freqHigh = 9.5;
    d.m_reserved1 = 10.5;
    d.m_reserved2 = 11.5;
    d.m_xmax = 12.5;
    d.m_coneDiameter = 13.5;
    d.m_efficiency = 14.5;
    d.m_boxType = std::move(type);
    d.m_driverCount = 0xBEEF;
    return d;
}

Bytes Utf16(const std::u16string& text) {
    Bytes out;
    for (const char16_t c : text)
        PutUnsigned(out, c, 2);
    return out;
}

double ReadDouble(const Bytes& b, std::size_t at) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= std::uint64_t(b[at + i]) << (8 * i);
    return std::bit_cast<double>(bits);
}

} // namespace

class TestDesignFile : public QObject {
    Q_OBJECT
private slots:
    void newDesignIsTheExampleFile() {
        Bytes expected(121, 0);
        const std::uint8_t low[] = {0, 0, 0, 0, 0, 0, 0x34, 0x40};
        const std::uint8_t high[] = {0, 0, 0, 0, 0, 0x40, 0x9F, 0x40};
        const std::uint8_t type[] = {0x06, 0x53, 0x65, 0x61, 0x6C, 0x65, 0x64};
        std::copy(std::begin(low), std::end(low), expected.begin() + 32);
        std::copy(std::begin(high), std::end(high), expected.begin() + 40);
        std::copy(std::begin(type), std::end(type), expected.begin() + 56);
        expected[63] = 0x01;
        QCOMPARE(DesignFile::Store(SpeakerDesign{}), expected);
        const auto back = DesignFile::Parse(expected);
        QVERIFY(back);
        QVERIFY(back->SameBits(SpeakerDesign{}));
    }

    // Every field at its offset: the file order differs from the record's.
    void fieldOffsets_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<double>("value");
        const int l = 10; // "Bandpass6" with its one-byte prefix
        QTest::newRow("fs") << 0 << 1.5;
        QTest::newRow("vas") << 8 << 3.5;
        QTest::newRow("qts") << 16 << 2.5;
        QTest::newRow("v1") << 24 << 4.5;
        QTest::newRow("freqLow") << 32 << 8.5;
        QTest::newRow("freqHigh") << 40 << 9.5;
        QTest::newRow("f1") << 48 << 5.5;
        QTest::newRow("reserved2") << 58 + l << 11.5;
        QTest::newRow("reserved1") << 66 + l << 10.5;
        QTest::newRow("xmax") << 74 + l << 12.5;
        QTest::newRow("coneDiameter") << 82 + l << 13.5;
        QTest::newRow("efficiency") << 90 + l << 14.5;
        QTest::newRow("v2") << 98 + l << 6.5;
        QTest::newRow("f2") << 106 + l << 7.5;
    }
    void fieldOffsets() {
        QFETCH(int, offset);
        QFETCH(double, value);
        const Bytes b = DesignFile::Store(Distinct("Bandpass6"));
        QCOMPARE(b.size(), std::size_t(124));
        QCOMPARE(ReadDouble(b, offset), value);
        QCOMPARE(b[56], std::uint8_t(9));
        QCOMPARE(b[66], std::uint8_t(0xEF)); // count, low byte first
        QCOMPARE(b[67], std::uint8_t(0xBE));
        const auto back = DesignFile::Parse(b);
        QVERIFY(back);
        QVERIFY(back->SameBits(Distinct("Bandpass6")));
    }

    // Shortest prefix on store, every prefix read back.
    void stringPrefixes_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<Bytes>("prefix");
        QTest::newRow("0") << 0 << Bytes{0x00};
        QTest::newRow("254") << 254 << Bytes{0xFE};
        QTest::newRow("255") << 255 << Bytes{0xFF, 0xFF, 0x00};
        QTest::newRow("256") << 256 << Bytes{0xFF, 0x00, 0x01};
        QTest::newRow("65533") << 65533 << Bytes{0xFF, 0xFD, 0xFF};
        QTest::newRow("65534") << 65534 << Bytes{0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00};
        QTest::newRow("65535") << 65535 << Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00};
        QTest::newRow("70000") << 70000 << Bytes{0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00};
    }
    void stringPrefixes() {
        QFETCH(int, length);
        QFETCH(Bytes, prefix);
        std::string name(std::size_t(length), 'x');
        if (length > 0)
            name.back() = 'y'; // the last character lands where it should
        const SpeakerDesign d = Distinct(name);
        const Bytes b = DesignFile::Store(d);
        QCOMPARE(b.size(), 114 + prefix.size() + std::size_t(length));
        QCOMPARE(Bytes(b.begin() + 56, b.begin() + 56 + prefix.size()), prefix);
        const auto back = DesignFile::Parse(b);
        QVERIFY(back);
        QVERIFY(back->SameBits(d));
        QCOMPARE(DesignFile::RequiredSize(b), std::uint64_t(b.size()));
    }

    // Longer-than-needed prefixes that storing never writes still load.
    void widePrefixesLoad_data() {
        QTest::addColumn<Bytes>("prefix");
        QTest::newRow("16-bit 6") << Bytes{0xFF, 0x06, 0x00};
        QTest::newRow("32-bit 6") << Bytes{0xFF, 0xFF, 0xFF, 0x06, 0x00, 0x00, 0x00};
    }
    void widePrefixesLoad() {
        QFETCH(Bytes, prefix);
        Bytes b = Head();
        b.insert(b.end(), prefix.begin(), prefix.end());
        for (const char c : std::string("Vented"))
            b.push_back(std::uint8_t(c));
        PutTail(b, 3);
        const auto d = DesignFile::Parse(b);
        QVERIFY(d);
        QCOMPARE(d->m_boxType, std::string("Vented"));
        QCOMPARE(d->m_driverCount, std::uint16_t(3));
    }

    void utf16Form_data() {
        QTest::addColumn<std::u16string>("text");
        QTest::addColumn<Bytes>("lengthPrefix");
        QTest::addColumn<std::string>("utf8");
        QTest::newRow("ascii") << std::u16string(u"Sealed") << Bytes{6} << std::string("Sealed");
        QTest::newRow("latin") << std::u16string(u"Gehäuse") << Bytes{7}
                               << std::string("Geh\xC3\xA4use");
        QTest::newRow("cjk") << std::u16string(u"箱") << Bytes{1} << std::string("\xE7\xAE\xB1");
        QTest::newRow("surrogate pair") << std::u16string(u"a\U0001F50Ab") << Bytes{4}
                                        << std::string("a\xF0\x9F\x94\x8A"
                                                       "b");
        QTest::newRow("lone high at end")
            << std::u16string{u'a', char16_t(0xD83D)} << Bytes{2} << std::string("a\xEF\xBF\xBD");
        QTest::newRow("high then plain") << std::u16string{char16_t(0xD83D), u'b'} << Bytes{2}
                                         << std::string("\xEF\xBF\xBD"
                                                        "b");
        QTest::newRow("lone low") << std::u16string{char16_t(0xDC00), u'c'} << Bytes{2}
                                  << std::string("\xEF\xBF\xBD"
                                                 "c");
        QTest::newRow("reversed pair") << std::u16string{char16_t(0xDE0A), char16_t(0xD83D)}
                                       << Bytes{2} << std::string("\xEF\xBF\xBD\xEF\xBF\xBD");
        QTest::newRow("nul kept") << std::u16string(u"a\0b", 3) << Bytes{3}
                                  << std::string("a\0b", 3);
        QTest::newRow("16-bit length")
            << std::u16string(300, u'é') << Bytes{0xFF, 0x2C, 0x01} << [] {
                   std::string s;
                   for (int i = 0; i < 300; ++i)
                       s += "\xC3\xA9";
                   return s;
               }();
        QTest::newRow("32-bit length")
            << std::u16string(u"Vented") << Bytes{0xFF, 0xFF, 0xFF, 6, 0, 0, 0}
            << std::string("Vented");
        QTest::newRow("mark twice")
            << std::u16string(u"ok") << Bytes{0xFF, 0xFE, 0xFF, 2} << std::string("ok");
    }
    void utf16Form() {
        QFETCH(std::u16string, text);
        QFETCH(Bytes, lengthPrefix);
        QFETCH(std::string, utf8);
        Bytes b = Head(30);
        for (const std::uint8_t m : {0xFF, 0xFE, 0xFF})
            b.push_back(m);
        b.insert(b.end(), lengthPrefix.begin(), lengthPrefix.end());
        const Bytes chars = Utf16(text);
        b.insert(b.end(), chars.begin(), chars.end());
        PutTail(b, 2, 0, 0, 0, 0, 0, 0, 77.0);
        QCOMPARE(DesignFile::RequiredSize(b), std::uint64_t(b.size()));
        const auto d = DesignFile::Parse(b);
        QVERIFY(d);
        QCOMPARE(d->m_boxType, utf8);
        QCOMPARE(d->m_fs, 30.0);
        QCOMPARE(d->m_driverCount, std::uint16_t(2));
        QCOMPARE(d->m_f2, 77.0);
        // Storing writes the 8-bit form of what was loaded.
        const Bytes stored = DesignFile::Store(*d);
        QVERIFY(stored[56] != 0xFF || stored[57] != 0xFE || stored[58] != 0xFF);
        const auto again = DesignFile::Parse(stored);
        QVERIFY(again);
        QVERIFY(again->SameBits(*d));
        // Every shorter file fails, in the middle of the marks too.
        for (std::size_t n = 0; n < b.size(); ++n)
            QVERIFY2(!DesignFile::Parse(std::span(b.data(), n)), qPrintable(QString::number(n)));
    }

    void truncationAtEveryLength_data() {
        QTest::addColumn<std::string>("type");
        QTest::newRow("Sealed") << std::string("Sealed");
        QTest::newRow("Vented") << std::string("Vented");
        QTest::newRow("Bandpass4") << std::string("Bandpass4");
        QTest::newRow("Bandpass6") << std::string("Bandpass6");
        QTest::newRow("empty name") << std::string();
        QTest::newRow("255 characters") << std::string(255, 'n');
        QTest::newRow("65534 characters") << std::string(65534, 'n');
    }
    void truncationAtEveryLength() {
        QFETCH(std::string, type);
        const Bytes b = DesignFile::Store(Distinct(type));
        QVERIFY(DesignFile::Parse(b));
        // Long names: every length around the fixed parts, a sample in the text.
        for (std::size_t n = 0; n < b.size(); n += (n > 80 && n + 80 < b.size()) ? 997 : 1)
            QVERIFY2(!DesignFile::Parse(std::span(b.data(), n)), qPrintable(QString::number(n)));
    }

    void extraBytesIgnored_data() {
        QTest::addColumn<int>("extra");
        QTest::newRow("1") << 1;
        QTest::newRow("7") << 7;
        QTest::newRow("5000") << 5000;
    }
    void extraBytesIgnored() {
        QFETCH(int, extra);
        const SpeakerDesign d = Distinct("Sealed");
        Bytes b = DesignFile::Store(d);
        for (int i = 0; i < extra; ++i)
            b.push_back(std::uint8_t(0xFF - i));
        const auto back = DesignFile::Parse(b);
        QVERIFY(back);
        QVERIFY(back->SameBits(d));
    }

    // A length larger than the rest of the file fails at once; a reader asked
    // for the size learns a number it can check against the file's size.
    void oversizeLengthPrefix_data() {
        QTest::addColumn<Bytes>("prefix");
        QTest::addColumn<std::uint64_t>("required");
        QTest::newRow("8-bit") << Bytes{0xFE} << std::uint64_t(56 + 1 + 254 + 58);
        QTest::newRow("16-bit") << Bytes{0xFF, 0xFD, 0xFF} << std::uint64_t(56 + 3 + 65533 + 58);
        QTest::newRow("32-bit max") << Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}
                                    << std::uint64_t(56 + 7 + 0xFFFFFFFFull + 58);
        QTest::newRow("wide 32-bit max")
            << Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}
            << std::uint64_t(56 + 10 + 2 * 0xFFFFFFFFull + 58);
    }
    void oversizeLengthPrefix() {
        QFETCH(Bytes, prefix);
        QFETCH(std::uint64_t, required);
        Bytes b = Head();
        b.insert(b.end(), prefix.begin(), prefix.end());
        b.insert(b.end(), 100, 'x');
        PutTail(b);
        QVERIFY(!DesignFile::Parse(b));
        QCOMPARE(DesignFile::RequiredSize(b), required);
    }

    // While the prefix is incomplete the size is a lower bound that grows.
    void requiredSizeOfShortHeads() {
        const Bytes full = DesignFile::Store(Distinct(std::string(70000, 'q')));
        std::uint64_t last = 0;
        for (std::size_t n = 0; n < 70; ++n) {
            const std::uint64_t need = DesignFile::RequiredSize(std::span(full.data(), n));
            QVERIFY2(need > n, qPrintable(QString::number(n)));
            QVERIFY(need <= full.size());
            QVERIFY(need >= last);
            last = need;
        }
        QCOMPARE(last, std::uint64_t(full.size()));
    }

    void unusualValuesRoundTrip_data() {
        QTest::addColumn<double>("value");
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("-nan") << -std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("nan payload") << std::bit_cast<double>(0x7FF0000000000ABCull);
        QTest::newRow("inf") << std::numeric_limits<double>::infinity();
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity();
        QTest::newRow("-0") << -0.0;
        QTest::newRow("negative") << -1234.5;
        QTest::newRow("denormal") << std::numeric_limits<double>::denorm_min();
        QTest::newRow("huge") << 1e300;
    }
    void unusualValuesRoundTrip() {
        QFETCH(double, value);
        SpeakerDesign d;
        for (double* f : {&d.m_fs, &d.m_qts, &d.m_vas, &d.m_v1, &d.m_f1, &d.m_v2, &d.m_f2,
                          &d.m_freqLow, &d.m_freqHigh, &d.m_reserved1, &d.m_reserved2, &d.m_xmax,
                          &d.m_coneDiameter, &d.m_efficiency})
            *f = value;
        d.m_boxType = std::string("se\0aled\xFF", 8);
        d.m_driverCount = 65535;
        const Bytes b = DesignFile::Store(d);
        const auto back = DesignFile::Parse(b);
        QVERIFY(back);
        QVERIFY(back->SameBits(d));
        QCOMPARE(DesignFile::Store(*back), b);
    }
};

QTEST_APPLESS_MAIN(TestDesignFile)
#include "test_design_file.moc"
