// The ports' own rules: clipboard line ends, the display choice, and the
// command line that answers before anything starts.

#include <QMap>
#include <QtTest>

#include "app/commandline.h"
#include "platform/clipboard.h"
#include "platform/displaychoice.h"

using namespace snagwell;

class PlatformTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lineEnds_data();
    void lineEnds();
    void display_data();
    void display();
    void commandLine_data();
    void commandLine();
};

void PlatformTest::lineEnds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("windows");
    QTest::newRow("lone LF") << "a\nb" << "a\r\nb";
    QTest::newRow("CR LF stays") << "a\r\nb" << "a\r\nb";
    QTest::newRow("leading and trailing") << "\na\n" << "\r\na\r\n";
    QTest::newRow("empty lines") << "\n\n" << "\r\n\r\n";
    QTest::newRow("lone CR stays") << "a\rb" << "a\rb";
    QTest::newRow("mixed") << "a\r\n\nb" << "a\r\n\r\nb";
}

void PlatformTest::lineEnds()
{
    QFETCH(QString, text);
    QFETCH(QString, windows);
    QCOMPARE(toWindowsLineEnds(text), windows);
}

void PlatformTest::display_data()
{
    QTest::addColumn<QString>("environment"); // NAME=value;...
    QTest::addColumn<int>("kind");
    using K = DisplayChoice::Kind;
    QTest::newRow("X11 session") << "DISPLAY=:0" << int(K::AsIs);
    QTest::newRow("Wayland with XWayland") << "DISPLAY=:0;WAYLAND_DISPLAY=wayland-0" << int(K::ForceX11);
    QTest::newRow("Wayland session type") << "DISPLAY=:1;XDG_SESSION_TYPE=wayland" << int(K::ForceX11);
    QTest::newRow("Wayland platform asked for") << "DISPLAY=:0;QT_QPA_PLATFORM=wayland" << int(K::ForceX11);
    QTest::newRow("Wayland without XWayland") << "WAYLAND_DISPLAY=wayland-0" << int(K::Refuse);
    QTest::newRow("no display at all") << "" << int(K::Refuse);
    QTest::newRow("offscreen on purpose") << "QT_QPA_PLATFORM=offscreen" << int(K::AsIs);
}

void PlatformTest::display()
{
    QFETCH(QString, environment);
    QFETCH(int, kind);
    QMap<QByteArray, QByteArray> variables;
    for (const QString &pair : environment.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        variables.insert(pair.section(QLatin1Char('='), 0, 0).toLatin1(),
                         pair.section(QLatin1Char('='), 1).toLatin1());
    const DisplayChoice choice =
        chooseDisplay([&](const char *name) { return variables.value(QByteArray(name)); });
    QCOMPARE(int(choice.kind), kind);
    QCOMPARE(choice.reason.isEmpty(), choice.kind != DisplayChoice::Kind::Refuse);
}

void PlatformTest::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("output");
    using A = CommandLine::Action;
    QTest::newRow("none") << QStringList() << int(A::Run) << "";
    QTest::newRow("version") << QStringList{"--version"} << int(A::Version) << "Snagwell 2.0.4\n";
    QTest::newRow("help") << QStringList{"--help"} << int(A::Help) << "Usage: snagwell";
    QTest::newRow("unknown") << QStringList{"--bogus"} << int(A::Refuse)
                             << "snagwell: unknown argument '--bogus'";
    QTest::newRow("a file") << QStringList{"notes.txt"} << int(A::Refuse) << "'notes.txt'";
    QTest::newRow("version and more") << QStringList{"--version", "x"} << int(A::Refuse) << "";
}

void PlatformTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, output);
    const CommandLine result = parseCommandLine(arguments, QStringLiteral("snagwell"));
    QCOMPARE(int(result.action), action);
    QVERIFY2(result.output.contains(output), qPrintable(result.output));
}

QTEST_GUILESS_MAIN(PlatformTest)
#include "tst_platform.moc"
