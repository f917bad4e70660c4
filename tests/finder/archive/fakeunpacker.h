#pragma once

#include "finder/archive/archivekind.h"
#include "finder/archive/unpackeradapter.h"
#include "platform/prompts.h"

#include <QFile>
#include <QObject>
#include <QStringList>

#include <functional>
#include <vector>

namespace orv::test {

// A reader with the unpacker operation set by name, as the real classes have it. It opens a file whose
// first line is "FAKE" followed by the kind codes allowed to open it, lists the entries of the world
// below, logs every call, and asks the replace question once per unpack unless Yes To All is on.
struct FakeFullInfo
{
    QString strPath;
    std::uint64_t nSize = 0;
    std::uint32_t dwDosDateTime = 0;
    std::uint8_t bSubFolder = 0;
    std::uint8_t bFolder = 0;
};

struct FakeWorld
{
    QStringList log;
    std::vector<FakeFullInfo> entries;
    bool unpackSucceeds = true;
    bool tarInside = false;
    QString detail;
    std::function<void()> duringUnpack;  // runs inside every unpack call, as a pump would

    static FakeWorld &get()
    {
        static FakeWorld world;
        return world;
    }
    void reset() { *this = FakeWorld{}; }
};

class FakeUnpacker
{
public:
    int kind = 0;

    void SetIni(INIUNPACK &ini)
    {
        log(QStringLiteral("SetIni %1%2%3%4")
                .arg(ini.bUnpackFilesWithoutPaths)
                .arg(ini.bUnpackFoldersWithoutPaths)
                .arg(ini.bUnpackArchivesWithoutPaths)
                .arg(ini.bAskBeforeOverwriting));
    }
    void SetIniYesToAll(INIYESTOALL &answers)
    {
        m_yesToAll = answers;
        log(QStringLiteral("SetIniYesToAll %1").arg(answers.bYesToAllFiles));
    }
    void GetIniYesToAll(INIYESTOALL &answers)
    {
        answers = m_yesToAll;
        log(QStringLiteral("GetIniYesToAll %1").arg(m_yesToAll.bYesToAllFiles));
    }
    void SetWndFileTree(QObject *window) { log(window ? "SetWndFileTree window" : "SetWndFileTree null"); }
    void SetHandleDialogProgress(QObject *window)
    {
        log(window ? "SetHandleDialogProgress window" : "SetHandleDialogProgress null");
    }

    bool OpenArchive(const QString &path)
    {
        log(QStringLiteral("OpenArchive %1 %2").arg(kind).arg(path.section(QLatin1Char('/'), -1)));
        m_yesToAll = INIYESTOALL{};
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QList<QByteArray> words = file.readLine().trimmed().split(' ');
        return words.value(0) == "FAKE" && words.contains(QByteArray::number(kind));
    }
    bool OpenMultiVolumeArchive(const QString &path)
    {
        log("OpenMultiVolumeArchive");
        return OpenArchive(path);
    }
    bool CloseArchive()
    {
        log("CloseArchive");
        return true;
    }

    bool FindFile()
    {
        m_next = 0;
        return !world().entries.empty();
    }
    bool FindNextFileW()
    {
        m_current = m_next++;
        return m_next < world().entries.size();
    }
    bool GetFileFullInfo(FakeFullInfo &record)
    {
        if (m_current >= world().entries.size())
            return false;
        record = world().entries[m_current];
        return true;
    }

    bool IsFolder(const QString &path)
    {
        log(QStringLiteral("IsFolder ") + path);
        return path.endsWith(QLatin1String("dir"));
    }
    QString GetFileOutputInfo(const QString &path) { return QStringLiteral("file ") + path; }
    QString GetFolderOutputInfo(const QString &path) { return QStringLiteral("folder ") + path; }
    QString GetArchiveOutputInfo() { return QStringLiteral("archive"); }

    bool UnpackFile(const QString &path, const QString &) { return unpack(QStringLiteral("UnpackFile ") + path); }
    bool UnpackFolder(const QString &path, const QString &) { return unpack(QStringLiteral("UnpackFolder ") + path); }
    bool UnpackArchive(const QString &) { return unpack(QStringLiteral("UnpackArchive")); }
    bool InitScan()
    {
        log("InitScan");
        return true;
    }

    bool IsTarInside() { return world().tarInside; }
    bool IsDetailedError() { return !world().detail.isEmpty(); }
    QString GetDetailedErrorMessage() { return world().detail; }

private:
    static FakeWorld &world() { return FakeWorld::get(); }
    static void log(const QString &text) { world().log << text; }
    static void log(const char *text) { world().log << QString::fromLatin1(text); }

    bool unpack(const QString &call)
    {
        log(call);
        if (world().duringUnpack)
            world().duringUnpack();
        if (!m_yesToAll.bYesToAllFiles) {
            ReplaceQuestion question;
            question.message = call;
            if (prompter().confirmReplace(question) == ReplaceAnswer::YesToAll)
                m_yesToAll.bYesToAllFiles = 1;
        }
        return world().unpackSucceeds;
    }

    INIYESTOALL m_yesToAll;
    std::size_t m_current = 0;
    std::size_t m_next = 0;
};

// Every kind gets the fake, tagged with its kind; the split set opens through the multi-volume call.
inline std::unique_ptr<IUnpacker> createFake(ArchiveKindCode kind)
{
    if (kind == ArchiveKind::SevenZipVolumes) {
        auto adapter = std::make_unique<UnpackerAdapter<FakeUnpacker, OpenBy::MultiVolume, FolderBy::EitherFlag>>();
        adapter->object().kind = kind;
        return adapter;
    }
    auto adapter = std::make_unique<UnpackerAdapter<FakeUnpacker>>();
    adapter->object().kind = kind;
    return adapter;
}

}  // namespace orv::test
