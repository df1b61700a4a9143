// The extractor's piecewise write, with the kernel's pwrite() replaced by
// one that can be made to take less than asked, be interrupted or fail: the
// file must end up holding exactly the data, whatever the kernel does.

#include "piecewrite.h"

#include <QTemporaryFile>
#include <QTest>

#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

enum class Kernel { TakesAll, TakesLittle, Interrupts, TakesNothing, IsFull };

Kernel kernel = Kernel::TakesAll;
int calls = 0;

} // namespace

Q_DECLARE_METATYPE(Kernel)

extern "C" ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
    ++calls;
    switch (kernel) {
    case Kernel::TakesAll:
        break;
    case Kernel::TakesLittle:
        size = std::min<size_t>(size, 1000);
        break;
    case Kernel::Interrupts:
        if (calls % 2 == 1) {
            errno = EINTR;
            return -1;
        }
        break;
    case Kernel::TakesNothing:
        return 0;
    case Kernel::IsFull:
        if (offset >= off_t(maximumPiece)) {
            errno = ENOSPC;
            return -1;
        }
        break;
    }
    return ::syscall(SYS_pwrite64, fd, data, size, offset);
}

class PieceWriteTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        kernel = Kernel::TakesAll;
        calls = 0;
    }

    // A file that takes nothing will not take more later, and a failing write
    // is not retried: no endless retrying either way.
    void writesAllTheDataOrSaysWhyNot_data() {
        QTest::addColumn<Kernel>("kernelBehaviour");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("expectedError");
        const int piece = int(maximumPiece);
        QTest::addRow("short writes") << Kernel::TakesLittle << 2 * piece + 5 << 7 << 0;
        QTest::addRow("interrupted writes") << Kernel::Interrupts << 3 * piece << 0 << 0;
        QTest::addRow("the kernel takes nothing") << Kernel::TakesNothing << 3 * piece << 0 << EIO;
        QTest::addRow("the disk fills after a piece") << Kernel::IsFull << 3 * piece << 0 << ENOSPC;
    }
    void writesAllTheDataOrSaysWhyNot() {
        QFETCH(Kernel, kernelBehaviour);
        QFETCH(int, size);
        QFETCH(int, offset);
        QFETCH(int, expectedError);
        QTemporaryFile file;
        QVERIFY(file.open());
        QByteArray data(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            data[i] = char(i * 7 + i / 251);

        kernel = kernelBehaviour;
        const int error =
            writePiecewise(file.handle(), data.constData(), std::size_t(size), off_t(offset));

        QCOMPARE(error, expectedError);
        if (expectedError != 0) {
            QVERIFY2(calls < 10, "a failing write is not retried");
            return;
        }
        QVERIFY(file.seek(offset));
        QCOMPARE(file.readAll(), data);
    }
};

QTEST_GUILESS_MAIN(PieceWriteTest)
#include "tst_piecewrite.moc"
