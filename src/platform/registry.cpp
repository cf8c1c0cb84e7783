#include "registry.h"

namespace snagwell {

Registry::Key NoRegistry::openKey(quint32, const QString &, quint32)
{
    return 0;
}

std::optional<Registry::Value> NoRegistry::queryValue(Key, const QString &, int)
{
    return std::nullopt;
}

void NoRegistry::closeKey(Key) {}

QString MapRegistry::path(quint32 root, const QString &keyName)
{
    return QString::number(root, 16) + QLatin1Char('\\') + keyName.toCaseFolded();
}

void MapRegistry::setValue(quint32 root, const QString &keyName, const QString &valueName,
                           Value value)
{
    m_keys[path(root, keyName)].values.insert(valueName.toCaseFolded(), std::move(value));
}

void MapRegistry::restrictAccess(quint32 root, const QString &keyName, quint32 allowed)
{
    m_keys[path(root, keyName)].allowed = allowed;
}

Registry::Key MapRegistry::openKey(quint32 root, const QString &keyName, quint32 access)
{
    const auto entry = m_keys.constFind(path(root, keyName));
    if (entry == m_keys.cend() || (access & ~entry->allowed) != 0)
        return 0;
    const Key key = m_nextKey++;
    m_open.insert(key, entry.key());
    return key;
}

std::optional<Registry::Value> MapRegistry::queryValue(Key key, const QString &valueName,
                                                       int bufferSize)
{
    const auto open = m_open.constFind(key);
    if (open == m_open.cend())
        return std::nullopt;
    const Entry &entry = m_keys[*open];
    const auto value = entry.values.constFind(valueName.toCaseFolded());
    if (value == entry.values.cend() || value->data.size() > bufferSize)
        return std::nullopt;
    return *value;
}

void MapRegistry::closeKey(Key key)
{
    m_open.remove(key);
}

} // namespace snagwell
