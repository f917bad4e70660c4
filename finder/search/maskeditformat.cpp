#include "maskeditformat.h"

namespace orv::MaskEditFormat {

namespace {
constexpr int kHexRadix = 16;
constexpr int kHexGroup = 4;
constexpr int kDecimalGroup = 3;

bool isDecimalDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
}  // namespace

int groupSize(int radix)
{
    return radix == kHexRadix ? kHexGroup : kDecimalGroup;
}

QString digitsOf(const QString &text, int maxDigits)
{
    QString digits;
    for (const QChar c : text) {
        if (digits.size() >= maxDigits)
            break;
        if (isDecimalDigit(c))
            digits.append(c);
    }
    return digits;
}

QString grouped(const QString &digits, int radix)
{
    const int group = groupSize(radix);
    QString shown;
    shown.reserve(digits.size() + digits.size() / group);
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % group == 0)
            shown.append(QLatin1Char(' '));
        shown.append(digits.at(i));
    }
    return shown;
}

QString valueOf(const QString &shown)
{
    QString value = shown;
    value.remove(QLatin1Char(' '));
    return value;
}

int cursorAfterDigits(const QString &groupedText, int digitsBefore)
{
    int seen = 0;
    for (qsizetype i = 0; i < groupedText.size(); ++i) {
        if (seen == digitsBefore)
            return static_cast<int>(i);
        if (groupedText.at(i) != QLatin1Char(' '))
            ++seen;
    }
    return static_cast<int>(groupedText.size());
}

}  // namespace orv::MaskEditFormat
