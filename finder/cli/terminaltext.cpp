#include "terminaltext.h"

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
    const char *run = utf8.data();
    const char *const end = utf8.data() + utf8.size();
    for (const char *p = run; p != end; ++p) {
        if (!needsEscape(static_cast<unsigned char>(*p)))
            continue;
        out.append(run, p);
        appendEscape(out, static_cast<unsigned char>(*p));
        run = p + 1;
    }
    out.append(run, end);
}

QByteArray terminalText(const QString &text)
{
    std::string out;
    appendTerminalText(out, text.toUtf8());
    return QByteArray(out.data(), qsizetype(out.size()));
}

}  // namespace orv
