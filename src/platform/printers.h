#pragma once

#include <utility>

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

namespace snagwell {

// The values the printer's orientation property takes.
enum class PageOrientation { Portrait = 1, Landscape = 2 };

// The output of one document, in the order it was given, waiting for the
// end of the document to be sent.
struct PrintDocument
{
    struct Item
    {
        // Text output when the picture is null, a picture otherwise.
        QString text;
        QImage picture;
        // Where the picture goes, in twips from the printable area's top left.
        QRect twips;
    };

    PageOrientation orientation = PageOrientation::Portrait;
    QList<Item> items;
};

// The system's printers and the current printer, which receives every
// document. Output accumulates until endDoc() sends it as one job.
class Printers
{
public:
    virtual ~Printers() = default;

    // Device names (CUPS queue names), in the order the system lists them.
    virtual QStringList names() const = 0;
    // The current printer: the system's default until makeCurrent() is
    // called, then the printer last made current. Empty without printers.
    virtual QString currentName() const = 0;
    virtual void makeCurrent(const QString &name) = 0;
    // Applies to the documents that end after it; nothing reads it back.
    virtual void setOrientation(PageOrientation orientation) = 0;
    // Text output from the current line, followed by a line end. Lines
    // break at each CR LF, wrap when wider than the page and continue on
    // the next page, so nothing is cut off.
    virtual void print(const QString &text) = 0;
    // Draws a picture scaled to the rectangle given in twips; throws
    // Failure for an empty picture.
    virtual void paintPicture(const QImage &picture, const QRect &twips) = 0;
    // Sends the document to the current printer; throws Failure when there
    // is no printer or the printer refuses the job. The document is dropped
    // either way.
    virtual void endDoc() = 0;
};

// What the real printers and the recording double share: the document being
// built and the checks made on it. Subclasses only list printers and send.
class DocumentPrinters : public Printers
{
public:
    QString currentName() const override { return m_current; }
    void makeCurrent(const QString &name) override;
    void setOrientation(PageOrientation orientation) override { m_orientation = orientation; }
    void print(const QString &text) override;
    void paintPicture(const QImage &picture, const QRect &twips) override;
    void endDoc() override;

protected:
    explicit DocumentPrinters(QString current) : m_current(std::move(current)) {}
    // Output given since the last endDoc(); empty when there is none.
    const QList<PrintDocument::Item> &pendingItems() const { return m_items; }
    PageOrientation orientation() const { return m_orientation; }
    virtual void send(const QString &printer, const PrintDocument &document) = 0;

private:
    QString m_current;
    PageOrientation m_orientation = PageOrientation::Portrait;
    QList<PrintDocument::Item> m_items;
};

// The printers of the system (CUPS queues), printed on through QPrinter.
class SystemPrinters final : public DocumentPrinters
{
public:
    SystemPrinters();
    QStringList names() const override;

protected:
    void send(const QString &printer, const PrintDocument &document) override;
};

} // namespace snagwell
