#include "entrynames.h"

namespace orv {

namespace {

// Byte b >= 0x80 becomes U+DC00 + b, U+DC80 to U+DCFF.
constexpr char16_t EscapeBase = 0xDC00;

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The length of the sequence this byte leads, or 0 when it leads none.
qsizetype sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Overlong forms, surrogates and code points past U+10FFFF are no valid UTF-8, as the second byte shows.
bool secondByteFits(unsigned char lead, unsigned char second)
{
    switch (lead) {
    case 0xE0:
        return second >= 0xA0;
    case 0xED:
        return second < 0xA0;
    case 0xF0:
        return second >= 0x90;
    case 0xF4:
        return second < 0x90;
    default:
        return true;
    }
}

}  // namespace

qsizetype validUtf8Length(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return 0;
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const qsizetype length = sequenceLength(lead);
    if (length == 0 || length > bytes.size())
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        if (!isContinuation(static_cast<unsigned char>(bytes[i])))
            return 0;
    }
    if (length > 1 && !secondByteFits(lead, static_cast<unsigned char>(bytes[1])))
        return 0;
    return length;
}

QString decodeEntryName(QByteArrayView bytes)
{
    QString name;
    name.reserve(bytes.size());
    qsizetype run = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const qsizetype length = validUtf8Length(bytes.sliced(i));
        if (length > 0) {
            i += length;
            continue;
        }
        name += QString::fromUtf8(bytes.sliced(run, i - run));
        name += QChar(char16_t(EscapeBase + static_cast<unsigned char>(bytes[i])));
        run = ++i;
    }
    if (run == 0)
        return QString::fromUtf8(bytes);
    name += QString::fromUtf8(bytes.sliced(run));
    return name;
}

QByteArray entryNameBytes(QStringView name)
{
    QByteArray bytes;
    qsizetype run = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        if (unit < EscapeBase + 0x80 || unit > EscapeBase + 0xFF)
            continue;
        // The second half of a pair is a character of its own, not an escaped byte.
        if (i > 0 && name[i - 1].isHighSurrogate())
            continue;
        bytes += name.sliced(run, i - run).toUtf8();
        bytes += char(unit - EscapeBase);
        run = i + 1;
    }
    if (run == 0)
        return name.toUtf8();
    bytes += name.sliced(run).toUtf8();
    return bytes;
}

}  // namespace orv
