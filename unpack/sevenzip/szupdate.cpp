#include "unpack/sevenzip/szupdate.h"

#include "unpack/sevenzip/szstreams.h"
#include "unpack/sevenzip/szvalue.h"

namespace orv::sz {

UpdateCallback::UpdateCallback(const std::vector<UpdateItem> &items, ComPtr<IInArchive> oldArchive,
                               std::optional<std::u16string> password, ProgressFn progress)
    : m_items(items), m_oldArchive(std::move(oldArchive)), m_password(std::move(password)),
      m_progress(std::move(progress))
{
}

HRESULT UpdateCallback::SetTotal(UInt64 total) noexcept
{
    m_total = total;
    return hr::ok;
}

HRESULT UpdateCallback::SetCompleted(const UInt64 *completeValue) noexcept
{
    return guarded([&] {
        if (m_progress && completeValue && !m_progress(*completeValue, m_total)) {
            m_stopped = true;
            return hr::abort;
        }
        return hr::ok;
    });
}

HRESULT UpdateCallback::GetUpdateItemInfo(UInt32 index, Int32 *newData, Int32 *newProps,
                                          UInt32 *indexInArchive) noexcept
{
    if (index >= m_items.size())
        return hr::invalidArg;
    const UpdateItem &item = m_items[index];
    if (newData)
        *newData = item.kind == UpdateItem::Kind::New ? 1 : 0;
    if (newProps)
        *newProps = item.kind == UpdateItem::Kind::Keep ? 0 : 1;
    if (indexInArchive)
        *indexInArchive = item.kind == UpdateItem::Kind::New ? 0xFFFFFFFFu : item.oldIndex;
    return hr::ok;
}

HRESULT UpdateCallback::GetProperty(UInt32 index, PROPID propId, RawPropVariant *value) noexcept
{
    return guarded([&] {
        if (index >= m_items.size() || !value)
            return hr::invalidArg;
        const UpdateItem &item = m_items[index];
        if (item.kind == UpdateItem::Kind::New)
            return newItemProperty(item, propId, value);
        if (item.kind == UpdateItem::Kind::Rename && propId == pid::path) {
            setString(value, item.path);
            return hr::ok;
        }
        // Everything else of a renamed item comes from the old entry; an empty IsDir or MTime would turn
        // folders into files and dates into 1980.
        if (!m_oldArchive)
            return hr::ok;
        return m_oldArchive->GetProperty(item.oldIndex, propId, value);
    });
}

HRESULT UpdateCallback::newItemProperty(const UpdateItem &item, PROPID propId, RawPropVariant *value)
{
    switch (propId) {
    case pid::path: setString(value, item.path); break;
    case pid::isDir: setBool(value, item.isDir); break;
    case pid::size: setUInt64(value, item.isDir ? 0 : item.size); break;
    case pid::mTime: setFileTime(value, item.mTime); break;
    case pid::attrib: setUInt32(value, item.attrib); break;
    default: break;
    }
    return hr::ok;
}

HRESULT UpdateCallback::GetStream(UInt32 index, ISequentialInStream **inStream) noexcept
{
    return guarded([&] {
        if (!inStream || index >= m_items.size())
            return hr::invalidArg;
        *inStream = nullptr;
        const UpdateItem &item = m_items[index];
        if (item.kind != UpdateItem::Kind::New || item.isDir)
            return hr::ok;
        int error = 0;
        ComPtr<FileInStream> stream = FileInStream::open({item.sourcePath}, &error);
        if (!stream) {
            // Leaving the file out would lose it silently; failing keeps the old archive as it was.
            m_failedSource = item.sourcePath;
            m_sourceError = error;
            return hr::fromErrno(error);
        }
        *inStream = ComPtr<ISequentialInStream>(stream).detach();
        return hr::ok;
    });
}

HRESULT UpdateCallback::SetOperationResult(Int32) noexcept { return hr::ok; }

HRESULT UpdateCallback::CryptoGetTextPassword2(Int32 *passwordIsDefined, BSTR *password) noexcept
{
    return guarded([&] {
        if (!passwordIsDefined || !password)
            return hr::invalidArg;
        *password = nullptr;
        *passwordIsDefined = m_password ? 1 : 0;
        if (m_password)
            *password = allocBstr(*m_password);
        return hr::ok;
    });
}

}  // namespace orv::sz
