// Inputs the fuzzers (fuzz/) found to break a promise of a reader, each kept
// as a row so that the fault stays fixed.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTest>

#include "app/ansicodepage.h"
#include "app/settingsfile.h"
#include "browse/preview.h"

namespace {

QByteArray withBom(const QByteArray &utf8)
{
    return QByteArray(snagwell::utf8Bom) + utf8;
}

} // namespace

class TestFuzzRegressions final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void textReadsAsWritten_data();
    void textReadsAsWritten();
    void settingsLinesSurviveSaving_data();
    void settingsLinesSurviveSaving();
};

void TestFuzzRegressions::textReadsAsWritten_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");

    // iconv writes these as their ASCII look-alikes, which read back as a
    // different character.
    QTest::newRow("yen sign") << withBom("b\nc\r\n\xC2\xA5~\r\n")
                              << QStringLiteral("b\nc\r\n¥~\r\n");
    QTest::newRow("overline") << withBom("\xE2\x80\xBE") << QStringLiteral("‾");
    QTest::newRow("yen sign among kanji") << withBom("\xE4\xBC\x9A\xC2\xA5")
                                          << QStringLiteral("会¥");
    // After the file's own mark, a second one is a character of the text.
    QTest::newRow("text opening with a byte order mark")
        << withBom("\xEF\xBB\xBF\xEF\xBB\xBF\xEF\xBB\xBF")
        << QString(3, QChar(0xFEFF));
    QTest::newRow("one zero-width no-break space") << withBom("\xEF\xBB\xBF" "a")
                                                   << (QChar(0xFEFF) + QStringLiteral("a"));
    // What stays CP932 still does.
    QTest::newRow("cp932") << QByteArray("\x89\xEF\x8B\x63\x5C") << QStringLiteral("会議\\");
}

void TestFuzzRegressions::textReadsAsWritten()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);

    QCOMPARE(snagwell::decodeFileText(file), text);
    // A text capture of it, written and shown again.
    const QByteArray written = snagwell::encodeFileText(text);
    QCOMPARE(snagwell::decodeFileText(written), text);
    QCOMPARE(snagwell::previewText(written), snagwell::previewText(file));
    // Only what CP932 holds exactly is written as CP932.
    QCOMPARE(written.startsWith(snagwell::utf8Bom), file.startsWith(snagwell::utf8Bom));
}

void TestFuzzRegressions::settingsLinesSurviveSaving_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("value");

    QTest::newRow("folder with a yen sign") << 0 << QStringLiteral("/home/a/¥data");
    QTest::newRow("header with an overline") << 3 << QStringLiteral("‾");
    QTest::newRow("folder opening with U+FEFF") << 0 << (QChar(0xFEFF) + QStringLiteral("/tmp"));
    QTest::newRow("names opening with U+FEFF") << 4 << (QChar(0xFEFF) + QStringLiteral(",a"));
}

void TestFuzzRegressions::settingsLinesSurviveSaving()
{
    QFETCH(int, line);
    QFETCH(QString, value);

    QStringList lines = snagwell::splitSettingsLines(QByteArray());
    lines[line] = value;
    QCOMPARE(snagwell::splitSettingsLines(snagwell::composeSettingsFile(lines)), lines);
}

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "tst_fuzzregressions.moc"
