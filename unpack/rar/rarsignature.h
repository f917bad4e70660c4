#pragma once

// What the first bytes of a RAR file say before any header is decoded: which format it is, where the
// archive starts (behind a self-extracting stub) and the archive flags, among them whether the block
// headers are encrypted so that a password is needed even to list the archive.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace orv::rar {

struct Signature
{
    bool rar5 = false;
    std::uint64_t offset = 0;  // of the signature in the file
    std::uint32_t archiveFlags = 0;  // ArchiveFlag bits
};

// The signature must start at offset 0 unless stubAllowed; then it is searched in the head of the file.
std::optional<Signature> parseSignature(const QByteArray &head, bool stubAllowed);
std::optional<Signature> readSignature(const QString &path, bool stubAllowed);

}  // namespace orv::rar
