// A controller's device node as the program watches it, with a FIFO standing in for
// the kernel's input node (no /dev/uinput here to make a real one): news wakes the
// program once and is emptied, a paused node holds its news until watched again, and
// a node that ends (the controller unplugged) closes instead of firing for ever.
#include "input/devicenode.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestDeviceNode : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString fifoPath;
    int writer = -1;

    void send(int bytes)
    {
        const QByteArray event(bytes, '\x01');
        QCOMPARE(::write(writer, event.constData(), size_t(event.size())), ssize_t(event.size()));
    }

private slots:
    void init()
    {
        QVERIFY(dir.isValid());
        fifoPath = dir.filePath(QStringLiteral("event0"));
        ::unlink(QFile::encodeName(fifoPath).constData());
        QCOMPARE(::mkfifo(QFile::encodeName(fifoPath).constData(), 0600), 0);
    }

    void cleanup()
    {
        if (writer >= 0)
            ::close(writer);
        writer = -1;
    }

    void newsWakesOnceAndIsEmptied()
    {
        DeviceNode node;
        QVERIFY(node.open(fifoPath));
        writer = ::open(QFile::encodeName(fifoPath).constData(), O_WRONLY | O_NONBLOCK);
        QVERIFY(writer >= 0);
        QSignalSpy readable(&node, &DeviceNode::readable);
        QVERIFY(!node.takeNews());

        // More than one read's worth: all of it goes.
        send(3000);
        QVERIFY(readable.wait(2000));
        QVERIFY(node.takeNews());
        QVERIFY(!node.takeNews());
        QVERIFY(node.isOpen());
        // Emptied, the node stays quiet: no second wake for the same news.
        readable.clear();
        QCoreApplication::processEvents();
        QCOMPARE(readable.count(), 0);
        send(24);
        QVERIFY(readable.wait(2000));
        QCOMPARE(readable.count(), 1);
        QVERIFY(node.takeNews());
    }

    void pausedNodeKeepsItsNewsUntilWatched()
    {
        DeviceNode node;
        QVERIFY(node.open(fifoPath));
        writer = ::open(QFile::encodeName(fifoPath).constData(), O_WRONLY | O_NONBLOCK);
        QVERIFY(writer >= 0);
        QSignalSpy readable(&node, &DeviceNode::readable);
        node.setWatching(false);
        send(24);
        QCoreApplication::processEvents();
        QCOMPARE(readable.count(), 0);
        node.setWatching(true);
        QVERIFY(readable.wait(2000));
        QVERIFY(node.takeNews());
    }

    void endedNodeClosesItself()
    {
        DeviceNode node;
        QVERIFY(node.open(fifoPath));
        writer = ::open(QFile::encodeName(fifoPath).constData(), O_WRONLY | O_NONBLOCK);
        QVERIFY(writer >= 0);
        QSignalSpy readable(&node, &DeviceNode::readable);
        ::close(writer);
        writer = -1;
        QVERIFY(readable.wait(2000));
        // The end is news too (the reader must look again), and then the node is shut.
        QVERIFY(node.takeNews());
        QVERIFY(!node.isOpen());
        QVERIFY(!node.takeNews());
    }

    void missingNodeDoesNotOpen()
    {
        DeviceNode node;
        QVERIFY(!node.open(dir.filePath(QStringLiteral("event-none"))));
        QVERIFY(!node.isOpen());
        QVERIFY(!node.takeNews());
    }
};

QTEST_GUILESS_MAIN(TestDeviceNode)
#include "test_devicenode.moc"
