#pragma once

#include "finder/archive/unpackerinterface.h"
#include "platform/numbers.h"

#include <memory>
#include <type_traits>

namespace orv {

// How a reader is opened and how its records mark folders; chosen once per registered kind.
enum class OpenBy { Archive, MultiVolume };
enum class FolderBy {
    FolderFlag,  // bFolder alone (tar family, ZIP, CAB, ISO)
    EitherFlag,  // bFolder or bSubFolder (7z, RAR)
};

namespace detail {

template <typename>
struct FullRecordOf;
template <typename C, typename R>
struct FullRecordOf<bool (C::*)(R &)>
{
    using type = R;
};
template <typename C, typename R>
struct FullRecordOf<bool (C::*)(R &) const>
{
    using type = R;
};

template <typename>
inline constexpr bool kUnknownRecord = false;

// The unpacked size under whichever name the record gives it. An ISO 9660 item has only its data length;
// a UDF item has both and the information length is the size.
template <typename R>
std::uint64_t recordSize(const R &r)
{
    if constexpr (requires { r.dwUnpSize; r.dwUnpSizeHigh; }) {
        return (std::uint64_t(r.dwUnpSizeHigh) << 32) | r.dwUnpSize;
    } else if constexpr (requires { r.nSize; r.dwDataLength; }) {
        return r.nSize != 0 ? std::uint64_t(r.nSize) : std::uint64_t(r.dwDataLength);
    } else if constexpr (requires { r.nSize; }) {
        return r.nSize;
    } else if constexpr (requires { r.dwSize; }) {
        return r.dwSize;
    } else {
        static_assert(kUnknownRecord<R>, "teach recordSize this record");
        return 0;
    }
}

inline std::optional<std::int64_t> fromDos(std::uint32_t dosDateTime)
{
    std::int64_t seconds = 0;
    if (dosDateTime == 0 || !dosDateTimeToSeconds(dosDateTime, seconds))
        return std::nullopt;
    return seconds;
}

template <typename R>
std::optional<std::int64_t> recordTime(const R &r)
{
    if constexpr (requires { r.tModified; }) {
        return std::int64_t(r.tModified);
    } else if constexpr (requires { r.dwDosDateTime; }) {
        return fromDos(r.dwDosDateTime);
    } else if constexpr (requires { r.dwFileTime; }) {
        return fromDos(r.dwFileTime);
    } else if constexpr (requires { r.wDosDate; r.wDosTime; }) {
        return fromDos((std::uint32_t(r.wDosDate) << 16) | r.wDosTime);
    } else {
        static_assert(kUnknownRecord<R>, "teach recordTime this record");
        return std::nullopt;
    }
}

template <FolderBy Folders, typename R>
ArchiveEntry entryFromRecord(const R &r)
{
    ArchiveEntry entry;
    entry.path = r.strPath;
    entry.folder = r.bFolder != 0 || (Folders == FolderBy::EitherFlag && r.bSubFolder != 0);
    if (!entry.folder)
        entry.size = recordSize(r);
    entry.modified = recordTime(r);
    return entry;
}

template <typename Result>
EntryStream entryStreamOf(Result result)
{
    if (result == Result::Listed)
        return EntryStream::Listed;
    return result == Result::Failed ? EntryStream::Failed : EntryStream::Unavailable;
}

}  // namespace detail

// Wraps one unpacker class. The classes share operation names but no base class, so the calls are
// resolved here at compile time; operations a class lacks answer false or empty.
template <typename T, OpenBy Open = OpenBy::Archive, FolderBy Folders = FolderBy::FolderFlag>
class UnpackerAdapter final : public IUnpacker
{
public:
    using FullRecord = typename detail::FullRecordOf<decltype(&T::GetFileFullInfo)>::type;

    T &object() { return m_object; }

    void setIni(INIUNPACK &ini) override { m_object.SetIni(ini); }
    void setIniYesToAll(INIYESTOALL &answers) override { m_object.SetIniYesToAll(answers); }
    void getIniYesToAll(INIYESTOALL &answers) override { m_object.GetIniYesToAll(answers); }
    void setWndFileTree(QObject *window) override { m_object.SetWndFileTree(window); }
    void setHandleDialogProgress(QObject *window) override { m_object.SetHandleDialogProgress(window); }

    bool openArchive(const QString &path) override
    {
        if constexpr (Open == OpenBy::MultiVolume)
            return m_object.OpenMultiVolumeArchive(path);
        else
            return m_object.OpenArchive(path);
    }
    bool closeArchive() override { return m_object.CloseArchive(); }

    EntryStream streamEntries(const QString &path, TarNames names, const StreamedEntryVisitor &visit) override
    {
        if constexpr (requires { &T::StreamEntries; }) {
            const bool underTar = names == TarNames::UnderTar;
            return detail::entryStreamOf(m_object.StreamEntries(path, underTar, [&visit](const auto &item) {
                visit(StreamedEntry{item.path, item.folder, item.size, item.modified, item.leading});
            }));
        } else {
            return IUnpacker::streamEntries(path, names, visit);
        }
    }

    bool findFile() override { return m_object.FindFile(); }
    bool findNextFile() override { return m_object.FindNextFileW(); }
    bool currentEntry(ArchiveEntry &entry) override
    {
        FullRecord record{};
        if (!m_object.GetFileFullInfo(record))
            return false;
        entry = detail::entryFromRecord<Folders>(record);
        return true;
    }

    bool isFolder(const QString &path) override { return m_object.IsFolder(path); }
    QString fileOutputInfo(const QString &path) override { return m_object.GetFileOutputInfo(path); }
    QString folderOutputInfo(const QString &path) override { return m_object.GetFolderOutputInfo(path); }
    QString archiveOutputInfo() override { return m_object.GetArchiveOutputInfo(); }

    bool unpackFile(const QString &path, const QString &target) override { return m_object.UnpackFile(path, target); }
    bool unpackFolder(const QString &path, const QString &target) override
    {
        return m_object.UnpackFolder(path, target);
    }
    bool unpackArchive(const QString &target) override { return m_object.UnpackArchive(target); }

    bool initScan() override
    {
        if constexpr (requires(T &t) { t.InitScan(); })
            return m_object.InitScan();
        else
            return true;
    }
    bool isTarInside() override
    {
        if constexpr (requires(T &t) { t.IsTarInside(); })
            return m_object.IsTarInside();
        else
            return false;
    }
    bool isDetailedError() override
    {
        if constexpr (requires(T &t) { t.IsDetailedError(); })
            return m_object.IsDetailedError();
        else
            return false;
    }
    QString detailedErrorMessage() override
    {
        if constexpr (requires(T &t) { t.GetDetailedErrorMessage(); })
            return m_object.GetDetailedErrorMessage();
        else
            return {};
    }

    void presetPassword(const QString &password) override
    {
        if constexpr (requires(T &t) { t.SetPassword(password); t.SetUsePassword(true); }) {
            m_object.SetPassword(password);
            m_object.SetUsePassword(true);
        }
    }
    std::optional<QString> enteredPassword() override
    {
        if constexpr (requires(T &t) { t.IsPasswordEntered(); t.GetPassword(); }) {
            if (m_object.IsPasswordEntered())
                return m_object.GetPassword();
        }
        return std::nullopt;
    }
    QString lastErrorText() override
    {
        if constexpr (requires(T &t) { t.GetLastErrorText(); })
            return m_object.GetLastErrorText();
        else
            return {};
    }
    QString damageText() override
    {
        if constexpr (requires(T &t) { t.GetDamageText(); })
            return m_object.GetDamageText();
        else
            return {};
    }

private:
    T m_object;
};

template <typename T, OpenBy Open = OpenBy::Archive, FolderBy Folders = FolderBy::FolderFlag>
std::unique_ptr<IUnpacker> makeUnpacker()
{
    return std::make_unique<UnpackerAdapter<T, Open, Folders>>();
}

}  // namespace orv
