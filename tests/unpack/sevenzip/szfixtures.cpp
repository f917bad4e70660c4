#include "szfixtures.h"

#include "tests/support/testhome.h"
#include "unpack/common/unpackcontext.h"
#include "unpack/sevenzip/szcallbacks.h"
#include "unpack/sevenzip/szfileextract.h"

#include <QDir>

namespace orv::test {

namespace {

// Selects every file of the archive, each at its own path.
class EverythingCallback final : public sz::FileExtractCallback
{
public:
    EverythingCallback(UnpackContext &context, const sz::SevenZipArchive &archive, const QString &folder,
                       std::shared_ptr<sz::PasswordSource> passwords)
        : FileExtractCallback(context, folder, std::move(passwords)), m_archive(archive)
    {
    }

private:
    std::optional<sz::SelectedItem> selectedItem(sz::UInt32 index) const override
    {
        const sz::ItemInfo item = m_archive.item(index);
        if (item.isDir)
            return std::nullopt;
        return sz::SelectedItem{item.path, item.path, item.size.value_or(0), item.mTime, item.attrib, item.encrypted};
    }

    QString resultText(sz::OpResult result, sz::UInt32 index) const override
    {
        return m_archive.item(index).path + QStringLiteral(": ")
               + sz::itemResultText(static_cast<sz::ItemResult>(static_cast<int>(result)));
    }

    const sz::SevenZipArchive &m_archive;
};

}  // namespace

QStringList makeSourceTree(const QString &root)
{
    const QList<QPair<QString, QByteArray>> files = {
        {QStringLiteral("a.txt"), QByteArray("alpha\n").repeated(2000)},
        {QStringLiteral("sub/noise.bin"), noise(150000, 7)},
        {QStringLiteral("sub/deeper/c.txt"), QByteArray("the quick brown fox ").repeated(5000)},
        {QStringLiteral("empty.txt"), QByteArray()},
        {QStringLiteral("\U0001F600 \u00FC.txt"), QByteArray("smile")},
    };
    QStringList paths;
    for (const auto &[path, bytes] : files) {
        writeFile(root + u'/' + path, bytes);
        paths.append(path);
    }
    QDir(root).mkpath(QStringLiteral("emptydir"));
    return paths;
}

bool extractEverything(const sz::SevenZipArchive &archive, const QString &folder, const std::optional<QString> &password)
{
    const sz::ComPtr<sz::IInArchive> handler = archive.handler();
    if (!handler || !QDir().mkpath(folder))
        return false;
    UnpackContext context;
    context.beginOperation();
    const std::optional<std::u16string> known =
        password ? std::optional(password->toStdU16String()) : std::optional<std::u16string>();
    auto passwords = std::make_shared<sz::PasswordSource>(sz::PasswordSource::Provider(), known);
    auto callback = sz::makeCom<EverythingCallback>(context, archive, folder, passwords);
    const sz::HRESULT code = handler->Extract(nullptr, 0xFFFFFFFFu, 0, callback.get());
    callback->abandonCurrent();
    return code == sz::hr::ok && callback->allWritten();
}

}  // namespace orv::test
