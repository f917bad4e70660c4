#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <string>

namespace orv {

// Names inside archives may hold any character. Written to a terminal as they are, a newline would break
// one entry into two lines and a carriage return or an escape sequence would rewrite what the terminal
// shows, so the plain outputs of orvfind-cli write them escaped: "\n", "\r", "\t", "\x1b" and "\xHH" for
// the other control characters, DEL and every byte of a name that is no valid UTF-8, and a backslash
// doubled, so that every escape reads back unambiguously. Valid UTF-8 sequences pass as they are.
void appendTerminalText(std::string &out, QByteArrayView utf8);
QByteArray terminalText(const QString &text);

}  // namespace orv
