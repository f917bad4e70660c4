#pragma once

// The numbered volumes of a split archive: name.7z.001, .002, ... or name.aa, .ab, ...

#include <QString>
#include <QStringList>

#include <optional>

namespace orv::sz {

// The name of the volume after this one: the last extension counted up with carry at its own width
// (digits, or letters keeping their case). None when the count would outgrow the width.
std::optional<QString> nextVolumePath(const QString &path);

// True when the last extension is a first volume: "01" after only zeros ("001", "01") or "AA" after
// only A's ("aa", "AAA"), without regard to case.
bool isFirstVolume(const QString &path);

// The first volume and every following one that exists, in order, until the first gap. Empty, with a
// message, when path is not a first volume or does not exist as a file.
QStringList splitVolumePaths(const QString &firstPath, QString *errorText);

}  // namespace orv::sz
