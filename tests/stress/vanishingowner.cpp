// A clipboard owner that ends without answering as soon as a program asks
// for its data, which is text or a picture: vanishingowner text|image; or,
// with "stall", one that says it has a text and never delivers it; or, with
// "secret", a password manager's copy, marked as such, that stays.
#include <unistd.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {
class VanishingData final : public QMimeData
{
public:
    explicit VanishingData(const QString &format) : m_format(format) {}
    QStringList formats() const override { return {m_format}; }
    static inline bool stalling = false;

protected:
    QVariant retrieveData(const QString &, QMetaType) const override
    {
        if (stalling)
            ::sleep(30);
        ::_exit(0);
    }

private:
    QString m_format;
};
} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "secret") == 0) {
        auto *secret = new QMimeData;
        secret->setText(QStringLiteral("password"));
        secret->setData(QStringLiteral("x-kde-passwordManagerHint"), "secret");
        QGuiApplication::clipboard()->setMimeData(secret);
        return QGuiApplication::exec();
    }
    const bool image = argc > 1 && qstrcmp(argv[1], "image") == 0;
    VanishingData::stalling = argc > 1 && qstrcmp(argv[1], "stall") == 0;
    QGuiApplication::clipboard()->setMimeData(
        new VanishingData(image ? QStringLiteral("image/png") : QStringLiteral("text/plain")));
    return QGuiApplication::exec();
}
