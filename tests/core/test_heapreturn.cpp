// A stopped player's threads leave freed memory in glibc's per-thread heaps; the
// program must hand it back to the system a moment after a stop, not at once.
#include "app/heapreturn.h"
#include "processmemory.h"

#include <QCoreApplication>
#include <QtTest>

#include <thread>
#include <vector>

class HeapReturnTest : public QObject
{
    Q_OBJECT

private slots:
    // First: a heap the other case leaves holes in would serve these blocks.
    void pictureSizedBlocksGoBackAsTheyAreFreed();
    void freedThreadMemoryGoesBackAfterAStop();
};

namespace {

constexpr qint64 MiB = 1024 * 1024;

// Leaves about 63 MiB free inside a heap of the finished thread's own, in holes
// between the small blocks it keeps (as a player's threads leave theirs): free()
// alone never gives such holes back.
std::vector<char *> fragmentAThreadHeap()
{
    std::vector<char *> kept;
    std::thread worker([&kept] {
        constexpr std::size_t blockSize = 16 * 1024; // below the size malloc maps on its own
        std::vector<char *> blocks(4096);
        for (char *&block : blocks) {
            block = static_cast<char *>(malloc(blockSize));
            memset(block, 1, blockSize);
        }
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            if (i % 64 == 63)
                kept.push_back(blocks[i]);
            else
                free(blocks[i]);
        }
    });
    worker.join();
    return kept;
}

} // namespace

void HeapReturnTest::freedThreadMemoryGoesBackAfterAStop()
{
#if !defined(__GLIBC__) || defined(__SANITIZE_ADDRESS__)
    QSKIP("only glibc's own allocator keeps per-thread heaps to trim");
#else
    const qint64 before = residentBytes();
    const std::vector<char *> kept = fragmentAThreadHeap();
    const qint64 fragmented = residentBytes();
    QVERIFY2(fragmented - before > 50 * MiB, qPrintable(QString::number((fragmented - before) / MiB)));

    HeapReturn::afterPlayerStopped();
    // Not during the stop itself: a Play right after must not wait for the trim.
    QVERIFY(residentBytes() > before + 50 * MiB);
    QTRY_VERIFY_WITH_TIMEOUT(residentBytes() < before + 10 * MiB, 5 * HeapReturn::delayMs);
    for (char *block : kept)
        free(block);
#endif
}

void HeapReturnTest::pictureSizedBlocksGoBackAsTheyAreFreed()
{
#if !defined(__GLIBC__) || defined(__SANITIZE_ADDRESS__)
    QSKIP("only glibc's own allocator moves its bound for blocks it maps apart");
#else
    HeapReturn::mapLargeBlocksApart();
    const qint64 before = residentBytes();
    qint64 kept = 0;
    std::thread worker([&kept] {
        // One play's pictures freed, then the next play's, of which it keeps some
        // (a decoder keeps its reference pictures).
        free(memset(malloc(8 * MiB), 1, 8 * MiB));
        std::vector<void *> pictures(60);
        for (void *&picture : pictures)
            picture = memset(malloc(MiB), 1, MiB);
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            if (i % 8 != 7)
                free(pictures[i]);
        }
        kept = residentBytes();
        for (std::size_t i = 7; i < pictures.size(); i += 8)
            free(pictures[i]);
    });
    worker.join();
    QVERIFY2(kept < before + 20 * MiB, qPrintable(QString::number((kept - before) / MiB)));
#endif
}

QTEST_GUILESS_MAIN(HeapReturnTest)
#include "test_heapreturn.moc"
