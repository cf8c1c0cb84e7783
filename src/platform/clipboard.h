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

// Test double: an in-memory clipboard whose every change is announced.
class MemoryClipboard final : public Clipboard
{
    Q_OBJECT
public:
    using Clipboard::Clipboard;
    bool hasText() const override { return m_hasText; }
    QString text() const override
    {
        if (m_failing)
            throw std::runtime_error("the clipboard's owner went away");
        return toWindowsLineEnds(m_text);
    }
    bool hasImage() const override { return !m_image.isNull(); }
    QImage image() const override { return m_image; }
    bool isSecret() const override { return m_secret; }
    void clear() override
    {
        m_hasText = false;
        m_text.clear();
        m_image = QImage();
        m_secret = false;
        ++m_clears;
        Q_EMIT changed();
    }
    void setImage(const QImage &image) override { set(QString(), false, image, false); }

    void setText(const QString &text) { set(text, true, QImage(), false); }
    // Text and a picture at once, as some programs offer both.
    void set(const QString &text, bool hasText, const QImage &image, bool secret)
    {
        m_text = text;
        m_hasText = hasText;
        m_image = image;
        m_secret = secret;
        Q_EMIT changed();
    }
    void setFailing(bool failing) { m_failing = failing; }
    int clears() const { return m_clears; }

private:
    QString m_text;
    bool m_hasText = false;
    QImage m_image;
    bool m_secret = false;
    bool m_failing = false;
    int m_clears = 0;
};

} // namespace snagwell
