// Memory of the window's result store: appends hits shaped like a search of files in 2,000 archives
// (1,000,000 by default, ten folders an archive) to the store with the Found Files model following it, and
// prints the heap bytes per hit and the time to append them and to sort by name, folder and size, with the
// same hits kept as whole records in a vector beside it for comparison.
//   orvfind-resultstore-bench [HITS]
#include "finder/search/foundfiles.h"
#include "finder/search/foundfilesmodel.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <algorithm>
#include <malloc.h>
#include <numeric>
#include <vector>

using namespace orv;

namespace {

std::size_t heapInUse()
{
    return mallinfo2().uordblks;
}

CFileInfo hitNumber(int i)
{
    CFileInfo hit;
    hit.m_strName = QStringLiteral("Entry_%1.txt").arg(i, 6, 10, QLatin1Char('0'));
    hit.m_strFullPath = QStringLiteral("/home/user/archives/set%1/archive%2.zip/docs/part%3/")
                            .arg(i / 500 % 97)
                            .arg(i / 500)
                            .arg(i / 50 % 10)
                        + hit.m_strName;
    hit.m_nSize = hit.m_nSize2 = std::uint64_t(i) * 37 % 5000000;
    hit.m_tModified = hit.m_tCreated = 1500000000 + i;
    hit.m_bInArchive = 1;
    return hit;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000000;
    QElapsedTimer timer;

    const std::size_t before = heapInUse();
    CResultStore store;
    CFoundFilesModel model(store);
    timer.start();
    for (int i = 0; i < count; ++i)
        store.AddFoundFile(hitNumber(i));
    const qint64 appending = timer.elapsed();
    const std::size_t compact = heapInUse() - before;
    std::printf("store and model: %d hits, %.1f bytes a hit, appended in %lld ms\n", count,
                double(compact) / count, appending);

    model.setSearchRunning(false);
    timer.restart();
    model.sort(CFoundFilesModel::Name);
    std::printf("sort by name: %lld ms\n", timer.restart());
    model.sort(CFoundFilesModel::Folder);
    std::printf("sort by folder: %lld ms\n", timer.restart());
    model.sort(CFoundFilesModel::Size);
    std::printf("sort by size: %lld ms\n", timer.restart());

    const std::size_t beforeWhole = heapInUse();
    std::vector<CFileInfo> whole;
    for (int i = 0; i < count; ++i)
        whole.push_back(hitNumber(i));
    std::printf("whole records in a vector: %.1f bytes a hit\n", double(heapInUse() - beforeWhole) / count);
    std::vector<std::uint32_t> order(whole.size());
    std::iota(order.begin(), order.end(), 0u);
    timer.restart();
    std::stable_sort(order.begin(), order.end(),
                     [&whole](std::uint32_t a, std::uint32_t b) { return whole[a].m_nSize < whole[b].m_nSize; });
    std::printf("whole records sorted by size: %lld ms\n", timer.restart());
    return 0;
}
