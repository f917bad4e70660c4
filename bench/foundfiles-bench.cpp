// Times the Found Files list with 200,000 hits: appending them one by one through the store into the model
// shown by the list, then sorting by each column both ways. Prints milliseconds per step.
#include "finder/search/filedock.h"
#include "finder/search/foundfileslist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <cstdio>

using namespace orv;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200000;
    CResultStore store;
    CFoundFilesPane pane(store);
    pane.resize(900, 600);
    pane.show();
    QRandomGenerator random(7);
    QElapsedTimer timer;
    timer.start();
    CFileInfo hit;
    for (int i = 0; i < count; ++i) {
        const quint32 n = random.generate();
        hit.m_strName = QStringLiteral("Entry_%1.txt").arg(n % 100000);
        hit.m_strFullPath = QStringLiteral("/home/user/archives/set%1/archive%2.zip/docs/").arg(n % 97).arg(n % 2000)
                            + hit.m_strName;
        hit.m_nSize = hit.m_nSize2 = n % 5000000;
        hit.m_tModified = 1500000000 + qint64(n % 200000000);
        hit.m_bInArchive = 1;
        store.AddFoundFile(hit);
    }
    app.processEvents();
    std::printf("append %d rows: %lld ms\n", count, timer.restart());
    const char *names[] = {"name", "folder", "size", "date"};
    for (int column = 0; column < 4; ++column) {
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            pane.model()->sort(column, order);
            const qint64 sorting = timer.restart();
            app.processEvents();
            std::printf("sort by %s %s: %lld ms, then shown in %lld ms\n", names[column],
                        order == Qt::AscendingOrder ? "up" : "down", sorting, timer.restart());
        }
    }
    return 0;
}
