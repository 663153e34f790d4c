#include "cli/Json.h"

#include <QtTest>
#include <cmath>

class TestJson : public QObject {
    Q_OBJECT
private slots:
    void strings_data() {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("plain") << QByteArray("Sealed") << QByteArray("\"Sealed\"");
        QTest::newRow("quote and backslash")
            << QByteArray("a\"b\\c") << QByteArray("\"a\\\"b\\\\c\"");
        QTest::newRow("control") << QByteArray("a\nb\x01", 4) << QByteArray("\"a\\nb\\u0001\"");
        QTest::newRow("utf-8 kept")
            << QByteArray("\xc3\xa4\xf0\x9f\x94\x8a") << QByteArray("\"\xc3\xa4\xf0\x9f\x94\x8a\"");
        QTest::newRow("latin-1 byte") << QByteArray("Gr\xfcn") << QByteArray("\"Gr\\ufffdn\"");
        QTest::newRow("cut sequence") << QByteArray("\xe2\x82") << QByteArray("\"\\ufffd\\ufffd\"");
        QTest::newRow("overlong") << QByteArray("\xc0\xaf") << QByteArray("\"\\ufffd\\ufffd\"");
        QTest::newRow("surrogate")
            << QByteArray("\xed\xa0\x80") << QByteArray("\"\\ufffd\\ufffd\\ufffd\"");
    }
    void strings() {
        QFETCH(QByteArray, raw);
        QFETCH(QByteArray, encoded);
        QCOMPARE(QByteArray::fromStdString(Json::String(raw.toStdString())), encoded);
    }

    void numbers_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("tenth") << 0.1 << QByteArray("0.10000000000000001");
        QTest::newRow("integer") << 20.0 << QByteArray("20");
        QTest::newRow("nan") << double(NAN) << QByteArray("\"nan\"");
        QTest::newRow("inf") << double(INFINITY) << QByteArray("\"inf\"");
        QTest::newRow("-inf") << -double(INFINITY) << QByteArray("\"-inf\"");
    }
    void numbers() {
        QFETCH(double, value);
        QFETCH(QByteArray, encoded);
        QCOMPARE(QByteArray::fromStdString(Json::Number(value)), encoded);
    }
};

QTEST_APPLESS_MAIN(TestJson)
#include "test_json.moc"
