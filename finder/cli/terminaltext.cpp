#include "terminaltext.h"

#include "unpack/common/entrynames.h"

namespace orv {

namespace {

void appendEscape(std::string &out, unsigned char c)
{
    static constexpr char kHex[] = "0123456789abcdef";
    switch (c) {
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    case '\\':
        out += "\\\\";
        return;
    default:
        out += "\\x";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
}

bool needsEscape(unsigned char c)
{
    return c < 0x20 || c == 0x7F || c == '\\';
}

}  // namespace

void appendTerminalText(std::string &out, QByteArrayView utf8)
{
    const char *const begin = utf8.data();
    const qsizetype size = utf8.size();
    qsizetype run = 0;
    qsizetype i = 0;
    while (i < size) {
        const auto c = static_cast<unsigned char>(begin[i]);
        if (c >= 0x80) {
            // A byte no UTF-8 sequence holds would reach the terminal as it is.
            const qsizetype length = validUtf8Length(utf8.sliced(i));
            if (length > 0) {
                i += length;
                continue;
            }
        } else if (!needsEscape(c)) {
            ++i;
            continue;
        }
        out.append(begin + run, begin + i);
        appendEscape(out, c);
        run = ++i;
    }
    out.append(begin + run, begin + size);
}

QByteArray terminalText(const QString &text)
{
    std::string out;
    appendTerminalText(out, entryNameBytes(text));
    return QByteArray(out.data(), qsizetype(out.size()));
}

}  // namespace orv
