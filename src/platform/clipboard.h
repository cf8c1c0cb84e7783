#pragma once

#include <memory>
#include <optional>
#include <stdexcept>

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

class QMimeData;

namespace snagwell {

// Text as the program expects it from the clipboard: lines end in CR LF. A
// lone LF (as Linux programs copy) becomes CR LF; CR LF stays as it is.
QString toWindowsLineEnds(const QString &text);

// The largest picture the program decodes, in megabytes of pixels: the
// converters take up to 2^28 pixels, four bytes each. Qt's own default
// (128 MB) refuses a camera's photograph.
inline constexpr int largestPictureMegabytes = 1024;

// The system clipboard (the CLIPBOARD selection). changed() is raised for
// every change of its contents, the program's own included. A notice stands
// for the latest change; changes that another one replaced before they could
// be read are counted instead (takeMissedChanges).
class Clipboard : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // Throws Failure when the clipboard's owner does not say what it offers.
    virtual bool hasText() const = 0;
    // The plain text, with CR LF line ends; throws Failure when the owner
    // does not deliver it.
    virtual QString text() const = 0;
    virtual bool hasImage() const = 0;
    // A null image when it cannot be received or decoded.
    virtual QImage image() const = 0;
    // A password manager's mark that the contents are a secret.
    virtual bool isSecret() const = 0;
    virtual void clear() = 0;
    virtual void setImage(const QImage &image) = 0;
    // The changes before the latest notice that were replaced before they
    // could be read; asking resets the count.
    virtual int takeMissedChanges() { return 0; }
    // After reading: whether what was read is still the content of the
    // change last announced. False when another change came (or its owner
    // went away) meanwhile: what was read may belong to another change.
    virtual bool isStillCurrent() { return true; }

Q_SIGNALS:
    void changed();
};

class SystemClipboard final : public Clipboard
{
    Q_OBJECT
public:
    explicit SystemClipboard(QObject *parent = nullptr);
    ~SystemClipboard() override;
    bool hasText() const override;
    QString text() const override;
    bool hasImage() const override;
    QImage image() const override;
    bool isSecret() const override;
    void clear() override;
    void setImage(const QImage &image) override;
    int takeMissedChanges() override;
    bool isStillCurrent() override;

    class ChangeWatch;

private:
    const QMimeData *data() const;
    const QStringList &formats() const;

    std::unique_ptr<ChangeWatch> m_watch;
    mutable std::optional<QStringList> m_formats; // of the change last announced
    int m_missed = 0;
    int m_unannounced = 0; // changes seen while reading, not yet announced
};

} // namespace snagwell
