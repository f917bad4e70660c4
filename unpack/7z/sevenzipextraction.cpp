#include "sevenzipextraction.h"

#include "unpack/common/unpackcontext.h"
#include "unpack/sevenzip/sevenziparchive.h"
#include "unpack/sevenzip/szcallbacks.h"
#include "unpack/sevenzip/szcom.h"
#include "unpack/sevenzip/szfileextract.h"

#include <algorithm>

namespace orv::sevenzip {

namespace {

using sz::HRESULT;
using sz::OpResult;
using sz::UInt32;
using sz::UInt64;
namespace hr = sz::hr;

// The selected items of the 7z archive, by the library's index.
class ExtractCallback final : public sz::FileExtractCallback
{
public:
    ExtractCallback(UnpackContext &context, const std::vector<sz::ItemInfo> &items, const QString &targetFolder,
                    std::vector<const QString *> jobs, std::shared_ptr<sz::PasswordSource> passwords)
        : FileExtractCallback(context, targetFolder, std::move(passwords)), m_items(items), m_jobs(std::move(jobs))
    {
    }

private:
    std::optional<sz::SelectedItem> selectedItem(UInt32 index) const override
    {
        const QString *job = index < m_jobs.size() ? m_jobs[index] : nullptr;
        if (!job || index >= m_items.size())
            return std::nullopt;
        const sz::ItemInfo &item = m_items[index];
        return sz::SelectedItem{item.path, *job, item.size.value_or(0), item.mTime, item.attrib, item.encrypted};
    }

    QString resultText(OpResult result, UInt32 index) const override
    {
        const sz::ItemInfo &item = m_items[index];
        const QString why = sz::itemResultText(static_cast<sz::ItemResult>(static_cast<int>(result)), item.encrypted);
        return QStringLiteral("Cannot unpack the file %1: %2").arg(item.path, why);
    }

    const std::vector<sz::ItemInfo> &m_items;
    std::vector<const QString *> m_jobs;  // by item index: where the item goes, null when not selected
};

}  // namespace

Extraction::Extraction(UnpackContext &context, sz::SevenZipArchive &archive, const std::vector<sz::ItemInfo> &items,
                       std::shared_ptr<sz::PasswordSource> passwords)
    : m_context(context), m_archive(archive), m_items(items), m_passwords(std::move(passwords))
{
}

bool Extraction::run(const std::vector<Job> &jobs, const QString &targetFolder)
{
    if (!m_context.createFolder(targetFolder)) {
        m_error = QStringLiteral("The folder %1 cannot be created.").arg(targetFolder);
        return false;
    }
    bool ok = true;
    std::vector<Job> files;
    for (const Job &job : jobs) {
        if (job.index >= m_items.size())
            continue;
        if (m_items[job.index].isAnti) {
            // It says that an update removed the item; writing it would make an empty file of it, or
            // empty the file already there.
            m_context.noteSkipped(job.relativePath, QStringLiteral("it only marks the item as deleted"));
            continue;
        }
        if (!m_items[job.index].isDir) {
            files.push_back(job);
        } else if (!m_context.createEntryFolder(targetFolder, job.relativePath)) {
            ok = false;
            if (m_error.isEmpty())
                m_error = QStringLiteral("Cannot create the folder %1.").arg(job.relativePath);
        }
        if (m_context.isCancelled())
            return false;
    }
    if (files.empty())
        return ok;
    return extractFiles(files, targetFolder) && ok;
}

bool Extraction::extractFiles(const std::vector<Job> &files, const QString &targetFolder)
{
    // The library asks for thousands of small files one after the other: a table by index answers without
    // hashing.
    std::vector<const QString *> byIndex(m_items.size(), nullptr);
    std::vector<UInt32> indices;
    for (const Job &job : files) {
        byIndex[job.index] = &job.relativePath;
        indices.push_back(job.index);
    }
    // The library wants the indices ascending and each once.
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    const sz::ComPtr<sz::IInArchive> handler = m_archive.handler();
    if (!handler) {
        m_error = QStringLiteral("The archive is not open.");
        return false;
    }
    auto callback = sz::makeCom<ExtractCallback>(m_context, m_items, targetFolder, std::move(byIndex), m_passwords);
    const HRESULT code = callback->run(*handler, indices);
    m_passwordSuspect = callback->passwordSuspect();
    m_error = callback->error();
    if (code == hr::abort && m_passwords->declined())
        m_error = QStringLiteral("No password was given for the encrypted files.");
    else if (code != hr::ok && code != hr::abort && m_error.isEmpty())
        m_error = QStringLiteral("The archive could not be read (error 0x%1).")
                      .arg(static_cast<quint32>(code), 8, 16, QLatin1Char('0'));
    return code == hr::ok && callback->allWritten();
}

}  // namespace orv::sevenzip
