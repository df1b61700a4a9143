// The extractor's early writeback, with the kernel's sync_file_range()
// replaced by a recorder: the requests must cover the written file in order,
// without gaps or overlaps, and never ask for more than was written.

#include "earlywriteback.h"

#include <QTest>

#include <fcntl.h>

#include <mutex>
#include <utility>
#include <vector>

namespace {

std::mutex requestsMutex;
std::vector<std::pair<off_t, off_t>> requests; // (offset, length), guarded

constexpr off_t mebibyte = 1024 * 1024;

std::vector<std::pair<off_t, off_t>> recordedRequests() {
    std::lock_guard lock(requestsMutex);
    return requests;
}

off_t requestedEnd() {
    std::lock_guard lock(requestsMutex);
    return requests.empty() ? 0 : requests.back().first + requests.back().second;
}

} // namespace

extern "C" int sync_file_range(int, off_t offset, off_t length, unsigned int flags) {
    if (flags != SYNC_FILE_RANGE_WRITE)
        return -1; // only starting writes is asked for: never waiting for them
    std::lock_guard lock(requestsMutex);
    requests.emplace_back(offset, length);
    return 0;
}

class EarlyWritebackTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        std::lock_guard lock(requestsMutex);
        requests.clear();
    }

    // Writing that stops short of the file's size leaves what was not
    // requested by then to the kernel: nothing is asked for at the end.
    void requestsFollowTheWrittenData_data() {
        QTest::addColumn<off_t>("piece");
        QTest::addColumn<off_t>("written");
        QTest::addColumn<off_t>("total");
        QTest::addRow("pieces of 1 MiB") << mebibyte << 64 * mebibyte << 64 * mebibyte;
        QTest::addRow("pieces smaller than a page") << off_t(1000) << 9 * mebibyte << 9 * mebibyte;
        QTest::addRow("pieces larger than a request")
            << 5 * mebibyte + 7 << 60 * mebibyte << 60 * mebibyte;
        QTest::addRow("less than a request, then the end")
            << mebibyte << 3 * mebibyte << 8 * mebibyte;
    }

    void requestsFollowTheWrittenData() {
        QFETCH(off_t, piece);
        QFETCH(off_t, written);
        QFETCH(off_t, total);
        {
            EarlyWriteback writeback(-1, total, EarlyWriteback::Policy::Always);
            for (off_t end = 0; end < written;) {
                end = std::min(written, end + piece);
                writeback.writtenUpTo(end);
            }
            // The requests trail the writes; the last step may stay with the kernel.
            QTRY_VERIFY(requestedEnd() > written - 4 * mebibyte);
        }
        const auto recorded = recordedRequests();
        off_t expectedOffset = 0;
        for (const auto& [offset, length] : recorded) {
            QCOMPARE(offset, expectedOffset);
            QVERIFY2(length >= 4 * mebibyte,
                     "requests of less than a step cost more than they give");
            expectedOffset = offset + length;
        }
        QVERIFY(expectedOffset <= written);
    }
};

QTEST_GUILESS_MAIN(EarlyWritebackTest)
#include "tst_earlywriteback.moc"
