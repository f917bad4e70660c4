#pragma once

// The update callback for writing ZIP archives through IOutArchive: items kept from the old archive,
// renamed ones, and new ones read from disk.

#include "unpack/sevenzip/sevenziptypes.h"
#include "unpack/sevenzip/szcom.h"

#include <optional>
#include <string>
#include <vector>

namespace orv::sz {

struct UpdateItem
{
    enum class Kind { Keep, Rename, New };
    Kind kind = Kind::New;
    UInt32 oldIndex = 0xFFFFFFFFu;
    std::u16string path;      // "/"-separated; for Rename and New
    bool isDir = false;       // New only
    std::string sourcePath;   // New files: the file on disk
    UInt64 size = 0;
    FileTime mTime{};
    UInt32 attrib = 0;        // Windows bits, 0x8000 and the Unix mode in the high half
};

class UpdateCallback final : public ComObject<IArchiveUpdateCallback, ICryptoGetTextPassword2>
{
public:
    UpdateCallback(const std::vector<UpdateItem> &items, ComPtr<IInArchive> oldArchive,
                   std::optional<std::u16string> password, ProgressFn progress);

    HRESULT SetTotal(UInt64 total) noexcept override;
    HRESULT SetCompleted(const UInt64 *completeValue) noexcept override;
    HRESULT GetUpdateItemInfo(UInt32 index, Int32 *newData, Int32 *newProps, UInt32 *indexInArchive) noexcept override;
    HRESULT GetProperty(UInt32 index, PROPID propId, RawPropVariant *value) noexcept override;
    HRESULT GetStream(UInt32 index, ISequentialInStream **inStream) noexcept override;
    HRESULT SetOperationResult(Int32 operationResult) noexcept override;
    HRESULT CryptoGetTextPassword2(Int32 *passwordIsDefined, BSTR *password) noexcept override;

    bool stopped() const { return m_stopped; }
    // The source file that could not be read, and its errno.
    const std::string &failedSource() const { return m_failedSource; }
    int sourceError() const { return m_sourceError; }

private:
    HRESULT newItemProperty(const UpdateItem &item, PROPID propId, RawPropVariant *value);

    const std::vector<UpdateItem> &m_items;
    ComPtr<IInArchive> m_oldArchive;
    std::optional<std::u16string> m_password;
    ProgressFn m_progress;
    UInt64 m_total = 0;
    bool m_stopped = false;
    std::string m_failedSource;
    int m_sourceError = 0;
};

}  // namespace orv::sz
