// A clipboard owner that goes away in the middle of a transfer: it offers
// text (or a picture), and when a program asks for the data it ends at once,
// without answering. Used by the end-to-end test of that fault.
//   vanishingowner text|image

#include <unistd.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

namespace {

class VanishingData final : public QMimeData
{
public:
    explicit VanishingData(QString format) : m_format(std::move(format)) {}
    QStringList formats() const override { return {m_format}; }
    bool hasFormat(const QString &format) const override { return format == m_format; }

protected:
    QVariant retrieveData(const QString &, QMetaType) const override
    {
        // Asked for the data itself, not only for what is offered: vanish.
        ::_exit(0);
    }

private:
    QString m_format;
};

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const bool image = argc > 1 && qstrcmp(argv[1], "image") == 0;
    QGuiApplication::clipboard()->setMimeData(
        new VanishingData(image ? QStringLiteral("image/png") : QStringLiteral("text/plain")));
    // Nobody asked within a minute: the test has gone.
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    return QGuiApplication::exec();
}
