#pragma once

// Finds and loads 7-Zip's archive library once per process and keeps it loaded; lists its formats by
// name and makes archive objects of them.

#include "unpack/sevenzip/szcom.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace orv::sz {

struct FormatInfo
{
    QString name;  // "7z", "zip", "Rar5", ...
    Guid classId;
    bool canUpdate = false;
    QStringList extensions;
};

class Library
{
public:
    // The environment variable that points the program at another copy of the library.
    static constexpr const char *pathVariable = "ORV_7Z_LIBRARY";
    static QString defaultPath();
    // The path in use now: the variable when set, else the default.
    static QString configuredPath();

    // The library at configuredPath(), loaded on first use and kept for the life of the process; null
    // with a message in errorText when it is missing or of a kind this program cannot use.
    static const Library *instance(QString *errorText);

    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;
    ~Library() = default;

    const QString &path() const { return m_path; }
    // Major in the high half, minor in the low half (0x001A0002 is 26.02).
    UInt32 version() const { return m_version; }
    const std::vector<FormatInfo> &formats() const { return m_formats; }
    // By name, without regard to case; null when the library has no such format.
    const FormatInfo *format(const QString &name) const;

    // Null with the result code in *result when the library refuses.
    ComPtr<IInArchive> createInArchive(const Guid &classId, HRESULT *result = nullptr) const;
    ComPtr<IOutArchive> createOutArchive(const Guid &classId, HRESULT *result = nullptr) const;

private:
    Library() = default;
    static std::unique_ptr<Library> load(const QString &path, QString *errorText);
    bool readFormats(GetNumberOfFormatsFn count, GetHandlerProperty2Fn property);

    QString m_path;
    void *m_handle = nullptr;
    CreateObjectFn m_createObject = nullptr;
    UInt32 m_version = 0;
    std::vector<FormatInfo> m_formats;
};

}  // namespace orv::sz
