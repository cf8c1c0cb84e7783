#include "core/numbers.h"

#include <cmath>

namespace snagwell {

std::optional<int> readNumber(QStringView text)
{
    text = text.trimmed();
    qsizetype i = 0;
    const auto digitsAt = [&] {
        const qsizetype start = i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        return text.mid(start, i - start);
    };
    const bool negative = !text.isEmpty() && text[0] == u'-';
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+'))
        ++i;
    const QStringView whole = digitsAt();
    QStringView fraction;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        fraction = digitsAt();
    }
    if (i != text.size() || whole.size() + fraction.size() == 0)
        return std::nullopt;
    constexpr int largest = 1'000'000'000;
    int value = 0;
    for (const QChar digit : whole)
        value = value >= largest / 10 ? largest : value * 10 + (digit.unicode() - u'0');
    // Half to even: a fraction of exactly one half goes to the even neighbour.
    const bool half =
        fraction.startsWith(u'5') && fraction.mid(1).count(u'0') == fraction.size() - 1;
    if (!fraction.isEmpty() && fraction[0] >= u'5' && (!half || value % 2 == 1))
        ++value;
    return negative ? -value : value;
}

int twipsToPixels(int twips, int dpi)
{
    return static_cast<int>(std::lround(double(twips) * (dpi > 0 ? dpi : 96) / 1440.0));
}

int pixelsToTwips(int pixels, int dpi)
{
    return static_cast<int>(std::lround(pixels * 1440.0 / (dpi > 0 ? dpi : 96)));
}

} // namespace snagwell
