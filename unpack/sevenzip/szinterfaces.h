#pragma once

// 7-Zip's archive interfaces in their vtable order. The Linux build of 7z.so (the kind the loader
// accepts) has no virtual destructor in IUnknown, so none is declared here: the protected destructors
// only keep callers from deleting through an interface. Each interface names its IID and its base, which
// lets ComObject answer QueryInterface for the whole chain.

#include "unpack/sevenzip/szabi.h"

namespace orv::sz {

struct IUnknown
{
    static constexpr Guid iid{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    using Base = void;

    virtual HRESULT QueryInterface(const Guid &requested, void **object) noexcept = 0;
    virtual ULONG AddRef() noexcept = 0;
    virtual ULONG Release() noexcept = 0;

protected:
    ~IUnknown() = default;
};

struct ISequentialInStream : IUnknown
{
    static constexpr Guid iid = interfaceId(0x03, 0x01);
    using Base = IUnknown;
    // May return fewer bytes than asked; 0 bytes only at the end.
    virtual HRESULT Read(void *data, UInt32 size, UInt32 *processedSize) noexcept = 0;

protected:
    ~ISequentialInStream() = default;
};

struct ISequentialOutStream : IUnknown
{
    static constexpr Guid iid = interfaceId(0x03, 0x02);
    using Base = IUnknown;
    virtual HRESULT Write(const void *data, UInt32 size, UInt32 *processedSize) noexcept = 0;

protected:
    ~ISequentialOutStream() = default;
};

struct IInStream : ISequentialInStream
{
    static constexpr Guid iid = interfaceId(0x03, 0x03);
    using Base = ISequentialInStream;
    virtual HRESULT Seek(Int64 offset, UInt32 seekOrigin, UInt64 *newPosition) noexcept = 0;

protected:
    ~IInStream() = default;
};

struct IOutStream : ISequentialOutStream
{
    static constexpr Guid iid = interfaceId(0x03, 0x04);
    using Base = ISequentialOutStream;
    virtual HRESULT Seek(Int64 offset, UInt32 seekOrigin, UInt64 *newPosition) noexcept = 0;
    virtual HRESULT SetSize(UInt64 newSize) noexcept = 0;

protected:
    ~IOutStream() = default;
};

struct IStreamGetSize : IUnknown
{
    static constexpr Guid iid = interfaceId(0x03, 0x06);
    using Base = IUnknown;
    virtual HRESULT GetSize(UInt64 *size) noexcept = 0;

protected:
    ~IStreamGetSize() = default;
};

struct IProgress : IUnknown
{
    static constexpr Guid iid = interfaceId(0x00, 0x05);
    using Base = IUnknown;
    virtual HRESULT SetTotal(UInt64 total) noexcept = 0;
    virtual HRESULT SetCompleted(const UInt64 *completeValue) noexcept = 0;

protected:
    ~IProgress() = default;
};

struct ICryptoGetTextPassword : IUnknown
{
    static constexpr Guid iid = interfaceId(0x05, 0x10);
    using Base = IUnknown;
    // *password is null on entry; the library wipes and frees what we return.
    virtual HRESULT CryptoGetTextPassword(BSTR *password) noexcept = 0;

protected:
    ~ICryptoGetTextPassword() = default;
};

struct ICryptoGetTextPassword2 : IUnknown
{
    static constexpr Guid iid = interfaceId(0x05, 0x11);
    using Base = IUnknown;
    virtual HRESULT CryptoGetTextPassword2(Int32 *passwordIsDefined, BSTR *password) noexcept = 0;

protected:
    ~ICryptoGetTextPassword2() = default;
};

struct IArchiveOpenCallback : IUnknown
{
    static constexpr Guid iid = interfaceId(0x06, 0x10);
    using Base = IUnknown;
    virtual HRESULT SetTotal(const UInt64 *files, const UInt64 *bytes) noexcept = 0;
    virtual HRESULT SetCompleted(const UInt64 *files, const UInt64 *bytes) noexcept = 0;

protected:
    ~IArchiveOpenCallback() = default;
};

struct IArchiveExtractCallback : IProgress
{
    static constexpr Guid iid = interfaceId(0x06, 0x20);
    using Base = IProgress;
    virtual HRESULT GetStream(UInt32 index, ISequentialOutStream **outStream, Int32 askExtractMode) noexcept = 0;
    virtual HRESULT PrepareOperation(Int32 askExtractMode) noexcept = 0;
    virtual HRESULT SetOperationResult(Int32 opRes) noexcept = 0;

protected:
    ~IArchiveExtractCallback() = default;
};

struct IArchiveOpenVolumeCallback : IUnknown
{
    static constexpr Guid iid = interfaceId(0x06, 0x30);
    using Base = IUnknown;
    virtual HRESULT GetProperty(PROPID propId, RawPropVariant *value) noexcept = 0;
    // S_FALSE when there is no such volume.
    virtual HRESULT GetStream(const wchar_t *name, IInStream **inStream) noexcept = 0;

protected:
    ~IArchiveOpenVolumeCallback() = default;
};

struct IInArchive : IUnknown
{
    static constexpr Guid iid = interfaceId(0x06, 0x60);
    using Base = IUnknown;
    virtual HRESULT Open(IInStream *stream, const UInt64 *maxCheckStartPosition,
                         IArchiveOpenCallback *openCallback) noexcept = 0;
    virtual HRESULT Close() noexcept = 0;
    virtual HRESULT GetNumberOfItems(UInt32 *numItems) noexcept = 0;
    virtual HRESULT GetProperty(UInt32 index, PROPID propId, RawPropVariant *value) noexcept = 0;
    // indices sorted ascending; null with 0xFFFFFFFF means every item.
    virtual HRESULT Extract(const UInt32 *indices, UInt32 numItems, Int32 testMode,
                            IArchiveExtractCallback *extractCallback) noexcept = 0;
    virtual HRESULT GetArchiveProperty(PROPID propId, RawPropVariant *value) noexcept = 0;
    virtual HRESULT GetNumberOfProperties(UInt32 *numProps) noexcept = 0;
    virtual HRESULT GetPropertyInfo(UInt32 index, BSTR *name, PROPID *propId, VARTYPE *varType) noexcept = 0;
    virtual HRESULT GetNumberOfArchiveProperties(UInt32 *numProps) noexcept = 0;
    virtual HRESULT GetArchivePropertyInfo(UInt32 index, BSTR *name, PROPID *propId,
                                           VARTYPE *varType) noexcept = 0;

protected:
    ~IInArchive() = default;
};

struct IArchiveUpdateCallback : IProgress
{
    static constexpr Guid iid = interfaceId(0x06, 0x80);
    using Base = IProgress;
    // The order of the items is the order of the new archive. newData/newProps are 1 or 0;
    // indexInArchive is 0xFFFFFFFF for a new item.
    virtual HRESULT GetUpdateItemInfo(UInt32 index, Int32 *newData, Int32 *newProps,
                                      UInt32 *indexInArchive) noexcept = 0;
    virtual HRESULT GetProperty(UInt32 index, PROPID propId, RawPropVariant *value) noexcept = 0;
    virtual HRESULT GetStream(UInt32 index, ISequentialInStream **inStream) noexcept = 0;
    virtual HRESULT SetOperationResult(Int32 operationResult) noexcept = 0;

protected:
    ~IArchiveUpdateCallback() = default;
};

struct IArchiveUpdateCallback2 : IArchiveUpdateCallback
{
    static constexpr Guid iid = interfaceId(0x06, 0x82);
    using Base = IArchiveUpdateCallback;
    virtual HRESULT GetVolumeSize(UInt32 index, UInt64 *size) noexcept = 0;
    virtual HRESULT GetVolumeStream(UInt32 index, ISequentialOutStream **volumeStream) noexcept = 0;

protected:
    ~IArchiveUpdateCallback2() = default;
};

struct IOutArchive : IUnknown
{
    static constexpr Guid iid = interfaceId(0x06, 0xA0);
    using Base = IUnknown;
    virtual HRESULT UpdateItems(ISequentialOutStream *outStream, UInt32 numItems,
                                IArchiveUpdateCallback *updateCallback) noexcept = 0;
    virtual HRESULT GetFileTimeType(UInt32 *type) noexcept = 0;

protected:
    ~IOutArchive() = default;
};

struct ISetProperties : IUnknown
{
    static constexpr Guid iid = interfaceId(0x06, 0x03);
    using Base = IUnknown;
    // Every call starts from the defaults: pass all properties in one call.
    virtual HRESULT SetProperties(const wchar_t *const *names, const RawPropVariant *values,
                                  UInt32 numProps) noexcept = 0;

protected:
    ~ISetProperties() = default;
};

// The exported C functions of 7z.so.
using CreateObjectFn = HRESULT (*)(const Guid *classId, const Guid *iid, void **object);
using GetNumberOfFormatsFn = HRESULT (*)(UInt32 *count);
using GetHandlerProperty2Fn = HRESULT (*)(UInt32 formatIndex, PROPID propId, RawPropVariant *value);
using GetModulePropFn = HRESULT (*)(PROPID propId, RawPropVariant *value);

// GetModuleProp ids and the interface type the loader accepts.
namespace moduleprop {
constexpr PROPID interfaceType = 0;
constexpr PROPID version = 1;
constexpr UInt32 interfaceWithoutVirtualDestructor = 0;
}  // namespace moduleprop

}  // namespace orv::sz
