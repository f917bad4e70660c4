#pragma once

// An extraction sink for tests: sends items to memory, to files under a folder, or nowhere, can abort at
// a chosen item, and records every outcome and the threads it was called on.

#include "unpack/sevenzip/sevenziparchive.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <QThread>

namespace orv::test {

class RecordingSink : public sz::ExtractSink
{
public:
    enum class Mode { Memory, Files, Skip };

    explicit RecordingSink(const sz::SevenZipArchive &archive, Mode mode = Mode::Memory, QString folder = {})
        : m_archive(archive), m_mode(mode), m_folder(std::move(folder))
    {
    }

    // Aborts the extraction when asked for this many targets (0 = the first).
    void abortAtTarget(int count) { m_abortAt = count; }

    sz::ItemTarget target(quint32 index) override
    {
        threads.insert(QThread::currentThreadId());
        if (m_abortAt >= 0 && targetsAsked++ == m_abortAt)
            return sz::ItemTarget::abort();
        if (m_mode == Mode::Skip)
            return sz::ItemTarget::skip();
        if (m_mode == Mode::Memory)
            return sz::ItemTarget::memory();
        const sz::ItemInfo item = m_archive.item(index);
        const QString path = m_folder + u'/' + item.path;
        if (item.isDir) {
            QDir().mkpath(path);
            return sz::ItemTarget::skip();
        }
        QDir().mkpath(path.section(u'/', 0, -2));
        return sz::ItemTarget::file(path);
    }

    void finished(const sz::ItemOutcome &outcome) override
    {
        threads.insert(QThread::currentThreadId());
        ++finishedCalls;
        outcomes.insert(outcome.index, outcome);
    }

    QHash<quint32, sz::ItemOutcome> outcomes;
    QSet<Qt::HANDLE> threads;
    int targetsAsked = 0;
    int finishedCalls = 0;

private:
    const sz::SevenZipArchive &m_archive;
    Mode m_mode;
    QString m_folder;
    int m_abortAt = -1;
};

}  // namespace orv::test
