#include "unpack/sevenzip/szlibrary.h"

#include "unpack/sevenzip/szvalue.h"

#include <QFile>
#include <QtGlobal>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include <dlfcn.h>

namespace orv::sz {

namespace {

struct DlCloser
{
    void operator()(void *handle) const { dlclose(handle); }
};
using DlHandle = std::unique_ptr<void, DlCloser>;

template <typename Fn>
Fn symbol(void *handle, const char *name)
{
    return reinterpret_cast<Fn>(dlsym(handle, name));
}

QString lastDlError()
{
    const char *text = dlerror();
    return text ? QString::fromLocal8Bit(text) : QString();
}

QString toQString(const std::u16string &text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<Guid> guidFromBytes(const PropVariant &value)
{
    // The class id comes as 16 raw bytes inside a BSTR.
    if (value.type() != vt::bstr || !value.raw().bstrVal)
        return std::nullopt;
    const wchar_t *chars = value.raw().bstrVal;
    UInt32 bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<const char *>(chars) - sizeof bytes, sizeof bytes);
    if (bytes != sizeof(Guid))
        return std::nullopt;
    Guid guid;
    std::memcpy(&guid, chars, sizeof guid);
    return guid;
}

// Binding the library to its own symbols first spares the loader a search through every library of the
// program for each of its thousands of symbol references: loading it takes about 40% less time.
// Only while malloc and free are the C library's: memory passes between the library and us both ways,
// and an allocator put in front of the C library's (a sanitizer's, a preloaded one) must then serve both.
int loadFlags()
{
    int flags = RTLD_NOW | RTLD_LOCAL;
    const DlHandle libc(dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD));
    if (libc && dlsym(libc.get(), "malloc") == dlsym(RTLD_DEFAULT, "malloc")
        && dlsym(libc.get(), "free") == dlsym(RTLD_DEFAULT, "free"))
        flags |= RTLD_DEEPBIND;
    return flags;
}

// Loaded libraries by path. Never unloaded: objects made by them may outlive any one user.
std::map<QString, std::unique_ptr<Library>> &loadedLibraries()
{
    static std::map<QString, std::unique_ptr<Library>> libraries;
    return libraries;
}

std::mutex &loadMutex()
{
    static std::mutex mutex;
    return mutex;
}

}  // namespace

QString Library::defaultPath() { return QStringLiteral("/usr/lib/p7zip/7z.so"); }

QString Library::configuredPath()
{
    const QString configured = qEnvironmentVariable(pathVariable);
    return configured.isEmpty() ? defaultPath() : configured;
}

const Library *Library::instance(QString *errorText)
{
    const QString path = configuredPath();
    std::lock_guard lock(loadMutex());
    auto &libraries = loadedLibraries();
    if (auto found = libraries.find(path); found != libraries.end())
        return found->second.get();
    QString error;
    std::unique_ptr<Library> library = load(path, &error);
    if (!library) {
        if (errorText)
            *errorText = error;
        return nullptr;
    }
    return libraries.emplace(path, std::move(library)).first->second.get();
}

std::unique_ptr<Library> Library::load(const QString &path, QString *errorText)
{
    if (!QFile::exists(path)) {
        *errorText = QStringLiteral("The 7-Zip library %1 was not found. Install the 7-Zip package "
                                    "(p7zip-full) to read 7z archives.").arg(path);
        return nullptr;
    }
    // RTLD_LOCAL: the library exports thousands of symbols that must not mix with ours.
    DlHandle handle(dlopen(QFile::encodeName(path).constData(), loadFlags()));
    if (!handle) {
        *errorText = QStringLiteral("The 7-Zip library %1 could not be loaded: %2").arg(path, lastDlError());
        return nullptr;
    }
    auto moduleProp = symbol<GetModulePropFn>(handle.get(), "GetModuleProp");
    auto createObject = symbol<CreateObjectFn>(handle.get(), "CreateObject");
    auto formatCount = symbol<GetNumberOfFormatsFn>(handle.get(), "GetNumberOfFormats");
    auto formatProperty = symbol<GetHandlerProperty2Fn>(handle.get(), "GetHandlerProperty2");
    if (!createObject || !formatCount || !formatProperty) {
        *errorText = QStringLiteral("%1 is not a 7-Zip archive library.").arg(path);
        return nullptr;
    }
    // Builds without GetModuleProp, and any other interface type, lay their objects out with a virtual
    // destructor in IUnknown; calling them through our declarations would go to the wrong methods.
    PropVariant interfaceType;
    if (!moduleProp || moduleProp(moduleprop::interfaceType, interfaceType.out()) != hr::ok
        || interfaceType.toUInt32().value_or(1) != moduleprop::interfaceWithoutVirtualDestructor) {
        *errorText = QStringLiteral("The 7-Zip library %1 is of an older kind that this program cannot use. "
                                    "Install 7-Zip 23 or later.").arg(path);
        return nullptr;
    }
    std::unique_ptr<Library> library(new Library);
    library->m_path = path;
    library->m_createObject = createObject;
    PropVariant version;
    if (moduleProp(moduleprop::version, version.out()) == hr::ok)
        library->m_version = version.toUInt32().value_or(0);
    if (!library->readFormats(formatCount, formatProperty)) {
        *errorText = QStringLiteral("The 7-Zip library %1 lists no archive formats.").arg(path);
        return nullptr;
    }
    library->m_handle = handle.release();
    return library;
}

bool Library::readFormats(GetNumberOfFormatsFn count, GetHandlerProperty2Fn property)
{
    UInt32 number = 0;
    if (count(&number) != hr::ok)
        return false;
    for (UInt32 i = 0; i < number; ++i) {
        PropVariant name, classId, update, extension;
        if (property(i, hpid::name, name.out()) != hr::ok || property(i, hpid::classId, classId.out()) != hr::ok)
            continue;
        const auto nameText = name.toUtf16();
        const auto guid = guidFromBytes(classId);
        if (!nameText || !guid)
            continue;
        FormatInfo info;
        info.name = toQString(*nameText);
        info.classId = *guid;
        if (property(i, hpid::update, update.out()) == hr::ok)
            info.canUpdate = update.toBool().value_or(false);
        if (property(i, hpid::extension, extension.out()) == hr::ok)
            info.extensions = toQString(extension.toUtf16().value_or(u"")).split(u' ', Qt::SkipEmptyParts);
        m_formats.push_back(std::move(info));
    }
    return !m_formats.empty();
}

const FormatInfo *Library::format(const QString &name) const
{
    for (const FormatInfo &info : m_formats) {
        if (info.name.compare(name, Qt::CaseInsensitive) == 0)
            return &info;
    }
    return nullptr;
}

ComPtr<IInArchive> Library::createInArchive(const Guid &classId, HRESULT *result) const
{
    void *object = nullptr;
    const HRESULT code = m_createObject(&classId, &IInArchive::iid, &object);
    if (result)
        *result = code;
    if (code != hr::ok)
        return {};
    return ComPtr<IInArchive>::adopt(static_cast<IInArchive *>(object));
}

ComPtr<IOutArchive> Library::createOutArchive(const Guid &classId, HRESULT *result) const
{
    void *object = nullptr;
    const HRESULT code = m_createObject(&classId, &IOutArchive::iid, &object);
    if (result)
        *result = code;
    if (code != hr::ok)
        return {};
    return ComPtr<IOutArchive>::adopt(static_cast<IOutArchive *>(object));
}

}  // namespace orv::sz
