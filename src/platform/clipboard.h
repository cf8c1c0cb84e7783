#pragma once

#include <stdexcept>

#include <QImage>
#include <QObject>
#include <QString>

class QMimeData;

namespace snagwell {

// Text as the program expects it from the clipboard: lines end in CR LF. A
// lone LF (as Linux programs copy) becomes CR LF; CR LF stays as it is.
QString toWindowsLineEnds(const QString &text);

// The system clipboard (the CLIPBOARD selection). changed() is raised for
// every change of its contents, the program's own included.
class Clipboard : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    virtual bool hasText() const = 0;
    // The plain text, with CR LF line ends.
    virtual QString text() const = 0;
    virtual bool hasImage() const = 0;
    virtual QImage image() const = 0;
    // A password manager's mark that the contents are a secret.
    virtual bool isSecret() const = 0;
    virtual void clear() = 0;
    virtual void setImage(const QImage &image) = 0;

Q_SIGNALS:
    void changed();
};

class SystemClipboard final : public Clipboard
{
    Q_OBJECT
public:
    explicit SystemClipboard(QObject *parent = nullptr);
    bool hasText() const override;
    QString text() const override;
    bool hasImage() const override;
    QImage image() const override;
    bool isSecret() const override;
    void clear() override;
    void setImage(const QImage &image) override;

private:
    const QMimeData *data() const;
};

} // namespace snagwell
