#include <QBuffer>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTest>

#include "browse/printing.h"
#include "platform/dialogs.h"
#include "platform/printers.h"

using namespace snagwell;

namespace {

const QString noImage = QStringLiteral("イメージが選択されていません");
const QString noText = QStringLiteral("テキストデータはありません");
const QString askImage = QStringLiteral("イメージを印刷しますか");
const QString askText = QStringLiteral("テキストを印刷しますか");
const QString askTitle = QStringLiteral("印刷確認");

QStringList itemTexts(const QListWidget &list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts.append(list.item(i)->text());
    return texts;
}

int selectedRow(const QListWidget &list)
{
    const QList<QListWidgetItem *> selected = list.selectedItems();
    return selected.isEmpty() ? -1 : list.row(selected.constFirst());
}

// Counts the page objects Qt's PDF writer wrote, independently of what the
// painting code says it did.
int pdfPageCount(const QByteArray &pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return static_cast<int>(QString::fromLatin1(pdf).count(page));
}

struct PdfPage
{
    QByteArray pdf;
    PaintedDocument painted;
    int width = 0;
    int height = 0;
};

PdfPage paintToPdf(const PrintDocument &document)
{
    PdfPage result;
    QBuffer buffer(&result.pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    result.painted = paintDocument(writer, document);
    result.width = writer.width();
    result.height = writer.height();
    return result;
}

PrintDocument textDocument(const QString &text)
{
    PrintDocument document;
    document.items.append({text, {}, {}});
    return document;
}

QImage sample(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

} // namespace

class TestPrinting final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fillPrinterList_data();
    void fillPrinterList();
    void clickingAPrinterChoosesIt();
    void selectChosenPrinterIsCaseSensitiveAndPersists();
    void nothingToPrint_data();
    void nothingToPrint();
    void cancelPrintsNothing_data();
    void cancelPrintsNothing();
    void printsTheTextOnTheChosenPrinter();
    void printsThePictureAtItsOwnSize_data();
    void printsThePictureAtItsOwnSize();
    void failuresAreShown_data();
    void failuresAreShown();
    void longTextContinuesOnFurtherPages();
    void longLinesWrapInsteadOfBeingCut_data();
    void longLinesWrapInsteadOfBeingCut();
    void trailingEmptyLinesAddNoPage();
    void picturePlacedInTwipsOnLandscape();
};

void TestPrinting::fillPrinterList_data()
{
    QTest::addColumn<QStringList>("printers");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("chosen");

    const QStringList three{QStringLiteral("Office"), QStringLiteral("PDF"),
                            QStringLiteral("Label")};
    QTest::newRow("saved in other letter case is rewritten")
        << three << QStringLiteral("pdf") << 1 << QStringLiteral("PDF");
    QTest::newRow("saved printer gone keeps the old name")
        << three << QStringLiteral("Plotter") << -1 << QStringLiteral("Plotter");
    QTest::newRow("saved name is only a prefix")
        << three << QStringLiteral("PD") << -1 << QStringLiteral("PD");
    QTest::newRow("no saved name chooses the last printer")
        << three << QString() << 2 << QStringLiteral("Label");
    QTest::newRow("no printers at all")
        << QStringList() << QStringLiteral("PDF") << -1 << QStringLiteral("PDF");
    QTest::newRow("the first of two names differing in case wins")
        << QStringList{QStringLiteral("pdf"), QStringLiteral("PDF")} << QStringLiteral("PDF") << 0
        << QStringLiteral("pdf");
}

void TestPrinting::fillPrinterList()
{
    QFETCH(QStringList, printers);
    QFETCH(QString, saved);
    QFETCH(int, selected);
    QFETCH(QString, chosen);

    QListWidget lstPrinters;
    QLineEdit tbxPrinter;
    connectPrinterList(lstPrinters, tbxPrinter);
    lstPrinters.addItem(QStringLiteral("stale"));
    tbxPrinter.setText(saved);
    RecordingPrinters system(printers);

    FillPrinterList(lstPrinters, tbxPrinter, system);

    QCOMPARE(itemTexts(lstPrinters), printers);
    QCOMPARE(selectedRow(lstPrinters), selected);
    QCOMPARE(tbxPrinter.text(), chosen);
    QCOMPARE(listText(lstPrinters), selected < 0 ? QString() : printers.at(selected));
    // Filling the list chooses; it never changes the current printer.
    QVERIFY(system.madeCurrent().isEmpty());
}

void TestPrinting::clickingAPrinterChoosesIt()
{
    QListWidget lstPrinters;
    QLineEdit tbxPrinter;
    connectPrinterList(lstPrinters, tbxPrinter);
    RecordingPrinters system({QStringLiteral("Office"), QStringLiteral("PDF")});
    tbxPrinter.setText(QStringLiteral("Office"));
    FillPrinterList(lstPrinters, tbxPrinter, system);
    lstPrinters.show();
    QVERIFY(QTest::qWaitForWindowExposed(&lstPrinters));

    const QRect second = lstPrinters.visualItemRect(lstPrinters.item(1));
    QTest::mouseClick(lstPrinters.viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(tbxPrinter.text(), QStringLiteral("PDF"));

    // Clicking the chosen printer again after its name was edited away
    // restores it, as every click copies the list's text.
    tbxPrinter.setText(QStringLiteral("typed"));
    QTest::mouseClick(lstPrinters.viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(tbxPrinter.text(), QStringLiteral("PDF"));
}

void TestPrinting::selectChosenPrinterIsCaseSensitiveAndPersists()
{
    RecordingPrinters system({QStringLiteral("Office"), QStringLiteral("PDF")});
    QCOMPARE(system.currentName(), QStringLiteral("Office"));

    SelectChosenPrinter(system, QStringLiteral("pdf"));
    QCOMPARE(system.currentName(), QStringLiteral("Office"));

    SelectChosenPrinter(system, QStringLiteral("PDF"));
    QCOMPARE(system.currentName(), QStringLiteral("PDF"));

    // A later job whose chosen printer is gone goes to the last printer
    // used, not back to the system's default.
    printTextJob(system, QStringLiteral("Plotter"), QStringLiteral("x"));
    printTextJob(system, QString(), QStringLiteral("y"));
    const QList<RecordingPrinters::Job> jobs = system.jobs();
    QCOMPARE(jobs.size(), 2);
    QCOMPARE(jobs.at(0).printer, QStringLiteral("PDF"));
    QCOMPARE(jobs.at(1).printer, QStringLiteral("PDF"));
}

void TestPrinting::nothingToPrint_data()
{
    QTest::addColumn<bool>("picture");
    QTest::addColumn<QString>("message");
    QTest::newRow("image button, nothing previewed") << true << noImage;
    QTest::newRow("text button, empty text") << false << noText;
}

void TestPrinting::nothingToPrint()
{
    QFETCH(bool, picture);
    QFETCH(QString, message);
    RecordingPrinters system({QStringLiteral("PDF")});
    ScriptedDialogs dialogs;

    if (picture)
        btnPrnIMG_Click(QString(), sample(4, 4), 96, QStringLiteral("PDF"), system, dialogs);
    else
        btnPrnTXT_Click(QString(), QStringLiteral("PDF"), system, dialogs);

    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().at(0).kind, ScriptedDialogs::Kind::Notice);
    QCOMPARE(dialogs.shown().at(0).text, message);
    QCOMPARE(dialogs.shown().at(0).title, QStringLiteral("Snagwell"));
    QVERIFY(system.jobs().isEmpty());
}

void TestPrinting::cancelPrintsNothing_data()
{
    QTest::addColumn<bool>("picture");
    QTest::addColumn<QString>("question");
    QTest::newRow("image") << true << askImage;
    QTest::newRow("text") << false << askText;
}

void TestPrinting::cancelPrintsNothing()
{
    QFETCH(bool, picture);
    QFETCH(QString, question);
    RecordingPrinters system({QStringLiteral("Office"), QStringLiteral("PDF")});
    ScriptedDialogs dialogs;
    dialogs.answer(false);

    if (picture)
        btnPrnIMG_Click(QStringLiteral("/data/a001.png"), sample(4, 4), 96, QStringLiteral("PDF"),
                        system, dialogs);
    else
        btnPrnTXT_Click(QStringLiteral("abc"), QStringLiteral("PDF"), system, dialogs);

    QCOMPARE(dialogs.shown().size(), 1);
    QCOMPARE(dialogs.shown().at(0).kind, ScriptedDialogs::Kind::OkCancel);
    QCOMPARE(dialogs.shown().at(0).text, question);
    QCOMPARE(dialogs.shown().at(0).title, askTitle);
    QVERIFY(system.jobs().isEmpty());
    QVERIFY(system.madeCurrent().isEmpty());
    QCOMPARE(system.currentName(), QStringLiteral("Office"));
}

void TestPrinting::printsTheTextOnTheChosenPrinter()
{
    // The saved name in other letter case is found and printing then uses
    // the printer as the system names it.
    QListWidget lstPrinters;
    QLineEdit tbxPrinter;
    connectPrinterList(lstPrinters, tbxPrinter);
    tbxPrinter.setText(QStringLiteral("pdf"));
    RecordingPrinters system({QStringLiteral("Office"), QStringLiteral("PDF")});
    FillPrinterList(lstPrinters, tbxPrinter, system);
    ScriptedDialogs dialogs;
    const QString text = QStringLiteral("一行目\r\n二行目\r\n");

    btnPrnTXT_Click(text, listText(lstPrinters), system, dialogs);

    QCOMPARE(dialogs.texts(), QStringList{askText});
    const QList<RecordingPrinters::Job> jobs = system.jobs();
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs.at(0).printer, QStringLiteral("PDF"));
    QCOMPARE(jobs.at(0).orientation, PageOrientation::Portrait);
    QCOMPARE(jobs.at(0).texts, QStringList{text});
    QVERIFY(jobs.at(0).pictures.isEmpty());
    QVERIFY(jobs.at(0).ended);
    QCOMPARE(jobs.at(0).pages, 1);
    QCOMPARE(pdfPageCount(jobs.at(0).pdf), 1);
}

void TestPrinting::printsThePictureAtItsOwnSize_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("96 dpi: 15 twips a pixel") << QSize(200, 100) << 96 << QRect(10, 10, 3000, 1500);
    QTest::newRow("120 dpi: 12 twips a pixel")
        << QSize(200, 100) << 120 << QRect(10, 10, 2400, 1200);
    QTest::newRow("144 dpi, odd sizes round") << QSize(3, 7) << 144 << QRect(10, 10, 30, 70);
}

void TestPrinting::printsThePictureAtItsOwnSize()
{
    QFETCH(QSize, pixels);
    QFETCH(int, dpi);
    QFETCH(QRect, twips);
    RecordingPrinters system({QStringLiteral("Office"), QStringLiteral("PDF")});
    ScriptedDialogs dialogs;
    const QImage picture = sample(pixels.width(), pixels.height());

    btnPrnIMG_Click(QStringLiteral("/data/a001.png"), picture, dpi, QStringLiteral("PDF"), system,
                    dialogs);

    QCOMPARE(dialogs.texts(), QStringList{askImage});
    const QList<RecordingPrinters::Job> jobs = system.jobs();
    QCOMPARE(jobs.size(), 1);
    QCOMPARE(jobs.at(0).printer, QStringLiteral("PDF"));
    QCOMPARE(jobs.at(0).orientation, PageOrientation::Landscape);
    QVERIFY(jobs.at(0).texts.isEmpty());
    QCOMPARE(jobs.at(0).pictures.size(), 1);
    QCOMPARE(jobs.at(0).pictures.at(0).image, picture);
    QCOMPARE(jobs.at(0).pictures.at(0).twips, twips);
    QVERIFY(jobs.at(0).ended);
    QCOMPARE(jobs.at(0).pages, 1);
}

void TestPrinting::failuresAreShown_data()
{
    QTest::addColumn<QStringList>("printers");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<bool>("picture");
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QString>("message");

    const QStringList one{QStringLiteral("PDF")};
    const QString noPrinter = QStringLiteral("プリンタがインストールされていません");
    const QString refused = QStringLiteral("プリンタ「PDF」が応答しません");
    QTest::newRow("text, no printers installed")
        << QStringList() << QString() << false << QImage() << noPrinter;
    QTest::newRow("image, no printers installed")
        << QStringList() << QString() << true << sample(2, 2) << noPrinter;
    QTest::newRow("text, printer refuses") << one << refused << false << QImage() << refused;
    QTest::newRow("image, printer refuses") << one << refused << true << sample(2, 2) << refused;
    QTest::newRow("image, preview holds no picture")
        << one << QString() << true << QImage() << QStringLiteral("印刷するイメージがありません");
}

void TestPrinting::failuresAreShown()
{
    QFETCH(QStringList, printers);
    QFETCH(QString, refusal);
    QFETCH(bool, picture);
    QFETCH(QImage, image);
    QFETCH(QString, message);
    RecordingPrinters system(printers);
    system.refuseJobs(refusal);
    ScriptedDialogs dialogs;

    if (picture)
        btnPrnIMG_Click(QStringLiteral("/data/a001.png"), image, 96, QStringLiteral("PDF"), system,
                        dialogs);
    else
        btnPrnTXT_Click(QStringLiteral("abc"), QStringLiteral("PDF"), system, dialogs);

    QCOMPARE(dialogs.shown().size(), 2);
    QCOMPARE(dialogs.shown().at(1).kind, ScriptedDialogs::Kind::Notice);
    QCOMPARE(dialogs.shown().at(1).text, message);
    QCOMPARE(dialogs.shown().at(1).title, QStringLiteral("Snagwell"));
    QVERIFY(system.jobs().isEmpty());

    // The failed document is dropped: the next job holds only its own output.
    system.refuseJobs(QString());
    if (!system.names().isEmpty()) {
        printTextJob(system, QStringLiteral("PDF"), QStringLiteral("next"));
        QCOMPARE(system.jobs().size(), 1);
        QCOMPARE(system.jobs().at(0).texts, QStringList{QStringLiteral("next")});
        QVERIFY(system.jobs().at(0).pictures.isEmpty());
    }
}

void TestPrinting::longTextContinuesOnFurtherPages()
{
    QStringList lines;
    for (int i = 1; i <= 400; ++i)
        lines.append(QStringLiteral("行 %1: The quick brown fox").arg(i));
    const QString text = lines.join(QStringLiteral("\r\n"));

    const PdfPage result = paintToPdf(textDocument(text));

    QVERIFY2(result.painted.pages >= 3, qPrintable(QString::number(result.painted.pages)));
    QCOMPARE(pdfPageCount(result.pdf), result.painted.pages);
    QCOMPARE(result.painted.lines.size(), lines.size());
    int page = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const PaintedLine &line = result.painted.lines.at(i);
        QCOMPARE(line.text, lines.at(i));
        QVERIFY(line.page == page || line.page == page + 1);
        page = line.page;
        QVERIFY(line.rect.top() >= 0);
        QVERIFY2(line.rect.bottom() <= result.height, qPrintable(lines.at(i)));
    }
    QCOMPARE(page + 1, result.painted.pages);
}

void TestPrinting::longLinesWrapInsteadOfBeingCut_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("words") << QStringLiteral("Clipboard capture ").repeated(60);
    QTest::newRow("one long word") << QStringLiteral("x").repeated(1500);
    QTest::newRow("Japanese without spaces") << QStringLiteral("画面保存のテスト").repeated(60);
}

void TestPrinting::longLinesWrapInsteadOfBeingCut()
{
    QFETCH(QString, line);
    const QString text = QStringLiteral("before\r\n") + line + QStringLiteral("\r\nafter");

    const PdfPage result = paintToPdf(textDocument(text));

    const QList<PaintedLine> &painted = result.painted.lines;
    QVERIFY(painted.size() > 3);
    QCOMPARE(painted.constFirst().text, QStringLiteral("before"));
    QCOMPARE(painted.constLast().text, QStringLiteral("after"));
    QString joined;
    for (qsizetype i = 1; i < painted.size() - 1; ++i) {
        QVERIFY2(painted.at(i).rect.width() <= result.width,
                 qPrintable(QString::number(painted.at(i).rect.width())));
        joined += painted.at(i).text;
    }
    QCOMPARE(joined, line);
}

void TestPrinting::trailingEmptyLinesAddNoPage()
{
    const QString text = QStringLiteral("only line") + QStringLiteral("\r\n").repeated(500);
    const PdfPage result = paintToPdf(textDocument(text));
    QCOMPARE(result.painted.pages, 1);
    QCOMPARE(pdfPageCount(result.pdf), 1);
    // Lone LFs and CRs, as in files written on Linux, end lines too.
    const PdfPage mixed = paintToPdf(textDocument(QStringLiteral("a\nb\rc\r\nd")));
    QStringList texts;
    for (const PaintedLine &line : mixed.painted.lines)
        texts.append(line.text);
    QCOMPARE(texts, (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                 QStringLiteral("d")}));
}

void TestPrinting::picturePlacedInTwipsOnLandscape()
{
    PrintDocument document;
    document.orientation = PageOrientation::Landscape;
    document.items.append({{}, sample(40, 20), QRect(10, 10, 600, 300)});
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));

    const PaintedDocument painted = paintDocument(writer, document);

    QCOMPARE(painted.pages, 1);
    // 1440 twips an inch on a device of 1200 dots an inch.
    QCOMPARE(writer.resolution(), 1200);
    QCOMPARE(painted.pictures.size(), 1);
    QCOMPARE(painted.pictures.at(0).page, 0);
    QCOMPARE(painted.pictures.at(0).rect, QRectF(10 / 1.2, 10 / 1.2, 500, 250));
    QCOMPARE(writer.pageLayout().orientation(), QPageLayout::Landscape);
    QVERIFY(writer.width() > writer.height());
    QCOMPARE(pdfPageCount(pdf), 1);
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
