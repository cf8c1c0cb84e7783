#include "platform/printers.h"

#include <utility>

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextLayout>
#include <QTextOption>

#include "core/failure.h"
#include "platform/dialogs.h"

namespace snagwell {
namespace {

constexpr qreal twipsPerInch = 1440.0;

// Text output breaks lines at CR LF. Text read from files written on Linux
// has lone LFs, and a lone CR would otherwise be drawn as nothing and glue
// two lines together, so both end a line as well.
QStringList outputLines(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines.split(QLatin1Char('\n'));
}

// Keeps the text cursor of a document: the page it is on and how far down.
// Pages are started only when something is drawn, so a run of empty lines
// at the end of a text does not eject blank sheets.
class PageWriter
{
public:
    PageWriter(QPagedPaintDevice &device, QPainter &painter)
        : m_device(device), m_painter(painter), m_metrics(painter.font(), &device)
    {
    }

    void text(const QString &text)
    {
        const qreal pageWidth = m_device.width();
        QTextOption option;
        // Japanese has no spaces to break at, and a long word must not run
        // off the paper either.
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        option.setTabStopDistance(8 * m_metrics.horizontalAdvance(QLatin1Char(' ')));
        for (const QString &paragraph : outputLines(text)) {
            QTextLayout layout(paragraph, m_painter.font(), &m_device);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
                line.setLineWidth(pageWidth);
            layout.endLayout();
            if (layout.lineCount() == 0) {
                advance(m_metrics.lineSpacing());
                continue;
            }
            for (int i = 0; i < layout.lineCount(); ++i) {
                const QTextLine line = layout.lineAt(i);
                const qreal height = line.height() > 0 ? line.height() : m_metrics.lineSpacing();
                if (m_y > 0 && m_y + height > m_device.height()) {
                    ++m_page;
                    m_y = 0;
                }
                const QString part = paragraph.mid(line.textStart(), line.textLength());
                if (!part.isEmpty()) {
                    enterPage();
                    line.draw(&m_painter, QPointF(0, m_y - line.y()));
                }
                m_y += height;
            }
        }
    }

    void picture(const QImage &picture, const QRect &twips)
    {
        enterPage();
        const qreal xScale = m_device.logicalDpiX() / twipsPerInch;
        const qreal yScale = m_device.logicalDpiY() / twipsPerInch;
        const QRectF target(twips.x() * xScale, twips.y() * yScale, twips.width() * xScale,
                            twips.height() * yScale);
        m_painter.drawImage(target, picture);
    }

private:
    void advance(qreal height)
    {
        if (m_y > 0 && m_y + height > m_device.height()) {
            ++m_page;
            m_y = 0;
        }
        m_y += height;
    }

    void enterPage()
    {
        while (m_devicePage < m_page) {
            if (!m_device.newPage())
                throw Failure(QStringLiteral("改ページできません"));
            ++m_devicePage;
        }
    }

    QPagedPaintDevice &m_device;
    QPainter &m_painter;
    QFontMetricsF m_metrics;
    int m_page = 0;
    int m_devicePage = 0;
    qreal m_y = 0;
};

QPageLayout::Orientation toPageLayout(PageOrientation orientation)
{
    return orientation == PageOrientation::Landscape ? QPageLayout::Landscape
                                                     : QPageLayout::Portrait;
}

// Paints a document onto a printer, in the device's default
// font, starting a new page where text runs off the bottom. A page is only
// started for something to draw on it, so trailing empty lines add none.
// Throws Failure when the device cannot be painted on.
void paintDocument(QPagedPaintDevice &device, const PrintDocument &document)
{
    device.setPageOrientation(toPageLayout(document.orientation));
    QPainter painter;
    if (!painter.begin(&device))
        throw Failure(QStringLiteral("印刷を開始できません"));
    PageWriter writer(device, painter);
    try {
        for (const PrintDocument::Item &item : document.items) {
            if (item.picture.isNull())
                writer.text(item.text);
            else
                writer.picture(item.picture, item.twips);
        }
    } catch (...) {
        painter.end();
        throw;
    }
    if (!painter.end())
        throw Failure(QStringLiteral("印刷を完了できません"));
}

} // namespace

void DocumentPrinters::makeCurrent(const QString &name)
{
    m_current = name;
}

void DocumentPrinters::print(const QString &text)
{
    m_items.append({text, {}, {}});
}

void DocumentPrinters::paintPicture(const QImage &picture, const QRect &twips)
{
    if (picture.isNull())
        throw Failure(QStringLiteral("印刷するイメージがありません"));
    m_items.append({{}, picture, twips});
}

void DocumentPrinters::endDoc()
{
    PrintDocument document{m_orientation, std::exchange(m_items, {})};
    if (m_current.isEmpty())
        throw Failure(QStringLiteral("プリンタがインストールされていません"));
    send(m_current, document);
}

SystemPrinters::SystemPrinters() : DocumentPrinters(QPrinterInfo::defaultPrinterName()) {}

QStringList SystemPrinters::names() const
{
    return QPrinterInfo::availablePrinterNames();
}

void SystemPrinters::send(const QString &printer, const PrintDocument &document)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (info.isNull())
        throw Failure(QStringLiteral("プリンタ「%1」が見つかりません").arg(printer));
    QPrinter device(info, QPrinter::HighResolution);
    device.setDocName(applicationTitle());
    paintDocument(device, document);
}

} // namespace snagwell
