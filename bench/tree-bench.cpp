// Times the Archive Browser tree on large levels: expanding a folder of 20,000 entries and an archive
// whose top level holds 100,000 files, and the status line of that archive. The fixtures are written to a
// temporary folder that is removed at the end.
//
// usage: orvfind-tree-bench [FOLDER-ENTRIES] [ARCHIVE-ENTRIES]   (QT_QPA_PLATFORM=offscreen works)

#include "finder/browser/archiveservice.h"
#include "finder/browser/orvelarchivetree.h"
#include "finder/browser/treelevels.h"
#include "finder/search/listingcatalogue.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// A quarter folders (every other one holding a file), the rest split between archives and other files.
bool makeFolder(const QString &folder, int entries)
{
    if (!QDir().mkpath(folder))
        return false;
    for (int i = 0; i < entries; ++i) {
        const QString name = QStringLiteral("%1/item%2").arg(folder).arg(i, 6, 10, QLatin1Char('0'));
        if (i % 4 == 0) {
            if (!QDir().mkpath(name) || (i % 8 == 0 && !QFile(name + "/inside.zip").open(QIODevice::WriteOnly)))
                return false;
        } else if (!QFile(name + (i % 2 ? ".zip" : ".txt")).open(QIODevice::WriteOnly)) {
            return false;
        }
    }
    return true;
}

bool makeArchive(const QString &path, int entries)
{
    const QString script = QStringLiteral(
        "import sys, zipfile\n"
        "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_STORED) as z:\n"
        "    for i in range(int(sys.argv[2])):\n"
        "        z.writestr('file%06d.txt' % i, b'')\n");
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), script, path, QString::number(entries)});
    return python.waitForFinished(-1) && python.exitCode() == 0;
}

template <typename Step>
qint64 timed(Step step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    return timer.elapsed();
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int folderEntries = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20000;
    const int archiveEntries = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 100000;
    QTextStream out(stdout);

    QTemporaryDir dir;
    if (!dir.isValid() || !makeFolder(dir.path() + "/big", folderEntries)
        || !makeArchive(dir.path() + "/big.zip", archiveEntries)) {
        out << "cannot make the fixtures in " << dir.path() << "\n";
        return 2;
    }

    orv::CArchiveService service;
    service.layer().SetArchiveExtensions({QStringLiteral("ZIP")});
    orv::COrvelArchiveTree tree(service);
    tree.setDrives({{dir.path(), QStringLiteral("Bench"), orv::DriveType::Fixed}});
    tree.resize(400, 700);
    tree.show();
    tree.Fill();
    tree.ExpandNode(tree.topLevelItem(0));
    QTreeWidgetItem *folder = tree.loadedNode(dir.path() + "/big");
    QTreeWidgetItem *archive = tree.loadedNode(dir.path() + "/big.zip");

    const qint64 folderMs = timed([&] {
        tree.ExpandNode(folder);
        QApplication::processEvents();
    });
    const qint64 archiveMs = timed([&] {
        tree.ExpandNode(archive);
        QApplication::processEvents();
    });
    const QString zipPath = dir.path() + "/big.zip";
    const qint64 openMs = timed([&] {
        service.NewAccess()->Open(zipPath, orv::ArchiveKind::Zip);
    });
    const qint64 levelMs = timed([&] { orv::listArchiveLevel(*service.NewAccess(), zipPath, orv::ArchiveKind::Zip, {}); });
    orv::CListingCatalogue catalogue;
    if (!catalogue.open(dir.path() + "/Listings.sqlite")) {
        out << catalogue.errorText() << "\n";
        return 2;
    }
    const auto keptLevel = [&] {
        orv::listArchiveLevel(*service.NewAccess(), zipPath, orv::ArchiveKind::Zip, {}, &catalogue);
    };
    const qint64 keepingMs = timed(keptLevel);
    const qint64 keptMs = timed(keptLevel);
    const qint64 statusMs = timed([&] { tree.setCurrentItem(archive); });
    const qint64 collapseMs = timed([&] {
        tree.CollapseNode(archive);
        QApplication::processEvents();
    });

    out << "folder of " << folderEntries << " entries: " << folder->childCount() << " nodes in " << folderMs
        << " ms\n";
    out << "archive of " << archiveEntries << " entries: " << archiveEntries << " nodes in " << archiveMs
        << " ms\n";
    out << "  of which the reader's open: " << openMs << " ms, the whole level without the tree: " << levelMs
        << " ms\n";
    out << "  the level read and its listing kept: " << keepingMs << " ms, the level from the kept listing: "
        << keptMs << " ms\n";
    out << "status line of that archive: " << statusMs << " ms\n";
    out << "collapsing it: " << collapseMs << " ms\n";
    return 0;
}
