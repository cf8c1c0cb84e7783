#include "core/traytip.h"

#include "core/ansicodepage.h"

namespace snagwell {

QString trayTipText(const Settings &settings, const QString &programName)
{
    const QString header = settings.headerMode == HeaderMode::Registered
                               ? settings.registeredName()
                               : headerModeTexts().at(static_cast<int>(settings.headerMode));
    return header + QLatin1Char('(') + programName + QLatin1Char(')');
}

QString trayTipField(const QString &text)
{
    constexpr int fieldSize = 64;
    QString characters = text.left(fieldSize);
    // A surrogate pair that the limit cuts apart is no character.
    if (characters.size() == fieldSize && characters.back().isHighSurrogate())
        characters.chop(1);
    QString field;
    int bytes = 0;
    qsizetype i = 0;
    while (i < characters.size()) {
        // One character, a surrogate pair counting as one.
        const qsizetype length =
            characters[i].isHighSurrogate() && i + 1 < characters.size() ? 2 : 1;
        const QString character = characters.mid(i, length);
        // A character CP932 cannot hold takes the two bytes of its stand-in.
        const std::optional<QByteArray> encoded = toCp932(character);
        const int width = encoded ? static_cast<int>(encoded->size()) : 2;
        if (bytes + width > fieldSize)
            break;
        field += character;
        bytes += width;
        i += length;
    }
    return field;
}

} // namespace snagwell
