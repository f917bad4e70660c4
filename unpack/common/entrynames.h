#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace orv {

// Names inside tars, RAR, cabinets and disc images are bytes, mostly UTF-8. A byte that is no part of a
// valid UTF-8 sequence becomes the lone surrogate U+DC00 + byte, so that names differing only in such
// bytes stay different in every listing and lookup, and the file written for one carries its original
// bytes. A valid sequence can never decode to a lone surrogate, so the mapping is reversible.
QString decodeEntryName(QByteArrayView bytes);

// The bytes of a name on this platform's file system: UTF-8, with each escaped byte restored.
QByteArray entryNameBytes(QStringView name);

// The UTF-8 sequence at the start of the bytes: its length when valid, 0 when not.
qsizetype validUtf8Length(QByteArrayView bytes);

}  // namespace orv
