#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace snagwell {

// Root keys, access rights and value types as the Windows registry numbers
// them, so that lookups read the same on every system.
namespace registry {
inline constexpr quint32 localMachine = 0x80000002u;
// Read control with query, set and create sub-key, enumerate, notify and
// create link: more than reading needs, so a key writable by
// administrators alone refuses it.
inline constexpr quint32 keyAllAccess = 0x2003Fu;
inline constexpr quint32 keyRead = 0x20019u;
inline constexpr quint32 typeSz = 1;
inline constexpr quint32 typeExpandSz = 2;
inline constexpr quint32 typeDword = 4;
} // namespace registry

// The system's registry of settings, reached as on Windows: open a key,
// read values from it, close it.
class Registry
{
public:
    // An open key; 0 is no key.
    using Key = quint64;
    struct Value
    {
        quint32 type = 0;
        // The value's bytes, as many as its length says.
        QByteArray data;
    };

    virtual ~Registry() = default;
    // 0 when the key does not exist or refuses the access asked for.
    virtual Key openKey(quint32 root, const QString &keyName, quint32 access) = 0;
    // Nothing when the value does not exist or is longer than the buffer.
    virtual std::optional<Value> queryValue(Key key, const QString &valueName, int bufferSize) = 0;
    // Closing no key (0) does nothing.
    virtual void closeKey(Key key) = 0;
};

// Linux has no registry: every key fails to open.
class NoRegistry final : public Registry
{
public:
    Key openKey(quint32 root, const QString &keyName, quint32 access) override;
    std::optional<Value> queryValue(Key key, const QString &valueName, int bufferSize) override;
    void closeKey(Key key) override;
};

// Test double: keys and values held in memory. Key and value names match
// without regard to case, as the registry's do.
class MapRegistry final : public Registry
{
public:
    void setValue(quint32 root, const QString &keyName, const QString &valueName, Value value);
    // Only the access rights in allowed are granted on this key (all by default).
    void restrictAccess(quint32 root, const QString &keyName, quint32 allowed);

    Key openKey(quint32 root, const QString &keyName, quint32 access) override;
    std::optional<Value> queryValue(Key key, const QString &valueName, int bufferSize) override;
    void closeKey(Key key) override;

    // Keys opened and not yet closed.
    int openKeyCount() const { return static_cast<int>(m_open.size()); }

private:
    struct Entry
    {
        QHash<QString, Value> values;
        quint32 allowed = 0xFFFFFFFFu;
    };
    static QString path(quint32 root, const QString &keyName);

    QHash<QString, Entry> m_keys;
    QHash<Key, QString> m_open;
    Key m_nextKey = 1;
};

} // namespace snagwell
