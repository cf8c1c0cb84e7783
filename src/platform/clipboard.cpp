#include "platform/clipboard.h"

#include <algorithm>
#include <cstdlib>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>

#include "core/failure.h"

namespace snagwell {

QString toWindowsLineEnds(const QString &text)
{
    QString result;
    result.reserve(text.size() + text.size() / 32 + 1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n') && (i == 0 || text[i - 1] != QLatin1Char('\r')))
            result += QLatin1Char('\r');
        result += c;
    }
    return result;
}

// Every change of the CLIPBOARD selection as the X server announces it, on a
// connection of its own: Qt's notices come one at a time, after the capture
// of the one before, while the server has long announced the changes since.
// A round trip brings in everything announced before it.
class SystemClipboard::ChangeWatch
{
public:
    // None where the display is no X server or has no XFixes extension.
    static std::unique_ptr<ChangeWatch> open()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            return nullptr;
        xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
        auto watch = std::unique_ptr<ChangeWatch>(new ChangeWatch(connection));
        if (xcb_connection_has_error(connection))
            return nullptr;
        const xcb_query_extension_reply_t *xfixes =
            xcb_get_extension_data(connection, &xcb_xfixes_id);
        if (!xfixes || !xfixes->present)
            return nullptr;
        std::free(xcb_xfixes_query_version_reply(
            connection, xcb_xfixes_query_version(connection, 1, 0), nullptr));
        const char name[] = "CLIPBOARD";
        xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
        if (!atom)
            return nullptr;
        watch->m_selection = atom->atom;
        std::free(atom);
        watch->m_notifyEvent = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_xfixes_select_selection_input(
            connection, root, watch->m_selection,
            XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        watch->newChanges();
        return watch;
    }
    ~ChangeWatch() { xcb_disconnect(m_connection); }
    ChangeWatch(const ChangeWatch &) = delete;
    ChangeWatch &operator=(const ChangeWatch &) = delete;

    // The changes announced since the last call.
    int newChanges()
    {
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        int changes = 0;
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7f) == m_notifyEvent)
                ++changes;
            std::free(event);
        }
        return changes;
    }

    bool hasOwner()
    {
        xcb_get_selection_owner_reply_t *reply = xcb_get_selection_owner_reply(
            m_connection, xcb_get_selection_owner(m_connection, m_selection), nullptr);
        const bool owned = reply && reply->owner != XCB_NONE;
        std::free(reply);
        return owned;
    }

private:
    explicit ChangeWatch(xcb_connection_t *connection) : m_connection(connection) {}

    xcb_connection_t *m_connection;
    xcb_atom_t m_selection = XCB_NONE;
    int m_notifyEvent = -1;
};

SystemClipboard::SystemClipboard(QObject *parent) : Clipboard(parent), m_watch(ChangeWatch::open())
{
    // Only the CLIPBOARD selection: selecting text (PRIMARY) is no copy.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        m_formats.reset();
        if (m_watch) {
            // A notice for a change already counted (while reading, or with
            // the notice before) announces nothing new.
            const int changes = m_watch->newChanges() + std::exchange(m_unannounced, 0);
            if (changes == 0)
                return;
            m_missed += changes - 1;
        }
        Q_EMIT changed();
    });
}

SystemClipboard::~SystemClipboard() = default;

int SystemClipboard::takeMissedChanges()
{
    return std::exchange(m_missed, 0);
}

bool SystemClipboard::isStillCurrent()
{
    if (!m_watch)
        return true;
    const int changes = m_watch->newChanges();
    m_unannounced += changes;
    return changes == 0;
}

const QMimeData *SystemClipboard::data() const
{
    return QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
}

const QStringList &SystemClipboard::formats() const
{
    // Asked once per change: an owner that does not answer costs Qt's
    // timeout at every question.
    if (!m_formats) {
        const QMimeData *mime = data();
        m_formats = mime ? mime->formats() : QStringList();
    }
    return *m_formats;
}

bool SystemClipboard::hasText() const
{
    // Every owner offers at least the list of what it offers; an empty list
    // from an owner is no answer.
    if (formats().isEmpty() && m_watch && m_watch->hasOwner())
        throw Failure(QStringLiteral("クリップボードの持ち主が応答しません"));
    // Plain text only: Qt counts a file list (text/uri-list) as text too, and
    // would hand over its URLs instead of a picture offered beside them.
    return std::any_of(formats().begin(), formats().end(), [](const QString &format) {
        return format == QLatin1String("text/plain") ||
               format.startsWith(QLatin1String("text/plain;"));
    });
}

QString SystemClipboard::text() const
{
    const QMimeData *mime = data();
    if (!mime)
        return QString();
    QElapsedTimer timer;
    timer.start();
    const QString text = mime->text();
    // Qt answers an empty text when the owner never delivers; it waits 5 s
    // for it. An owner that has an empty text answers at once.
    constexpr qint64 ownerTimeoutMs = 4500;
    if (text.isEmpty() && timer.elapsed() >= ownerTimeoutMs)
        throw Failure(QStringLiteral("クリップボードのテキストを受け取れません"));
    return toWindowsLineEnds(text);
}

bool SystemClipboard::hasImage() const
{
    const QMimeData *mime = data();
    return mime && mime->hasImage();
}

QImage SystemClipboard::image() const
{
    const QMimeData *mime = data();
    return mime ? qvariant_cast<QImage>(mime->imageData()) : QImage();
}

bool SystemClipboard::isSecret() const
{
    const QString hint = QStringLiteral("x-kde-passwordManagerHint");
    return formats().contains(hint) && data()->data(hint) == "secret";
}

void SystemClipboard::clear()
{
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
}

void SystemClipboard::setImage(const QImage &image)
{
    QGuiApplication::clipboard()->setImage(image, QClipboard::Clipboard);
}

} // namespace snagwell
