// The settings file across the Qt 5 and Qt 6 builds: an operator who moves from one
// build to the other must find every saved camera exactly as it was, and the other
// build must still read the file after this one has rewritten it.
//
//   test_settingsfile                 the test cases below
//   test_settingsfile --write FILE    files the reference cameras into FILE through this
//                                     build's store (how data/settings-qt5.ini was made,
//                                     by the Qt 5 build)
//   test_settingsfile --check FILE    exit 0 when FILE, read through this build's store,
//                                     holds exactly the reference cameras
//
// With HALVORINE_PEER_STORE naming the same program from a build against the other Qt
// major, the peer cases write and read files through both builds in turn.
#include "settings/appsettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

namespace {

using Camera = std::pair<QString, QString>; // name, address

// Every character that is special to INI files or to QSettings, spaces at both ends,
// non-ASCII text, and a camera filed without a name (its key is its address).
const QList<Camera> &referenceCameras()
{
    static const QList<Camera> cameras{
        {QStringLiteral("Lobby"), QStringLiteral("192.0.2.10")},
        {QStringLiteral("Studio A/B"), QStringLiteral("cam/1")},
        {QStringLiteral("Left\\Right"), QStringLiteral("a\\b")},
        {QStringLiteral("x=y"), QStringLiteral("k=v")},
        {QStringLiteral("Nave;East"), QStringLiteral("192.0.2.11;")},
        {QStringLiteral("[General]"), QStringLiteral("[x]")},
        {QStringLiteral("#1 camera"), QStringLiteral("#comment")},
        {QStringLiteral("\"Main\""), QStringLiteral("\"q\"")},
        {QStringLiteral("Front, left"), QStringLiteral("a,b")},
        {QStringLiteral("  Balcony  "), QStringLiteral(" 192.0.2.9 ")},
        {QStringLiteral("Kapelle Süd 日本"), QStringLiteral("kamera-ü.local")},
        {QStringLiteral("100% %U0041 %41"), QStringLiteral("50% %U0042")},
        {QStringLiteral("all / \\ = ; [ ] # \" , ü"), QStringLiteral("/ \\ = ; [ ] # \" , ü")},
        {QStringLiteral("192.0.2.77"), QStringLiteral("192.0.2.77")},
    };
    return cameras;
}

void writeReference(const QString &path)
{
    AppSettings store(path);
    for (const Camera &camera : referenceCameras()) {
        // The address-only camera goes in as the operator files it: with no name.
        const bool unnamed = camera.first == camera.second;
        store.save(camera.second, unnamed ? QString() : camera.first);
    }
}

// What the store at path holds that differs from the reference cameras; empty when none.
QStringList differencesFromReference(const QString &path)
{
    AppSettings store(path);
    QStringList problems;
    QStringList expectedNames;
    for (const Camera &camera : referenceCameras()) {
        expectedNames << camera.first;
        const QString address = store.addressOf(camera.first);
        if (address != camera.second)
            problems << QStringLiteral("[%1] holds [%2], expected [%3]").arg(camera.first, address, camera.second);
    }
    QStringList names = store.names();
    names.sort();
    expectedNames.sort();
    if (names != expectedNames)
        problems << QStringLiteral("names [%1], expected [%2]")
                        .arg(names.join(QStringLiteral("] [")), expectedNames.join(QStringLiteral("] [")));
    return problems;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString committedFile()
{
    return QStringLiteral(HALVORINE_SETTINGS_FIXTURE);
}

// Runs the peer build's program; its output when it fails, null when it succeeds.
QByteArray runPeer(const QString &peer, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(peer, arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(5000);
        return "the peer did not finish: " + process.errorString().toUtf8();
    }
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return QByteArray();
    return "exit " + QByteArray::number(process.exitCode()) + ": " + process.readAll();
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QString copyOfCommittedFile(const QString &name)
    {
        const QString copy = dir.filePath(name);
        QFile::remove(copy);
        return QFile::copy(committedFile(), copy) ? copy : QString();
    }
    static QString peerStore() { return qEnvironmentVariable("HALVORINE_PEER_STORE"); }

private slots:
    // The committed file is the Qt 5 store's own output, and the Qt 6 store writes the
    // same bytes for the same cameras: the file does not change with the build.
    void thisStoreWritesTheCommittedFileByteForByte()
    {
        QVERIFY2(!committedFile().isEmpty(), "data/settings-qt5.ini is missing");
        const QString written = dir.filePath(QStringLiteral("written.ini"));
        writeReference(written);
        QCOMPARE(QString::fromUtf8(contents(written)), QString::fromUtf8(contents(committedFile())));
    }

    void committedFileReadsBackUnchanged()
    {
        const QString copy = copyOfCommittedFile(QStringLiteral("read.ini"));
        QVERIFY(!copy.isEmpty());
        const QStringList problems = differencesFromReference(copy);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        AppSettings store(copy);
        for (const Camera &camera : referenceCameras())
            QVERIFY2(store.contains(camera.first), qPrintable(camera.first));
        // Reading alone leaves the file as it was.
        QCOMPARE(contents(copy), contents(committedFile()));
    }

    // A camera saved and removed again makes the store rewrite the whole file, which must
    // then hold everything else unchanged.
    void rewritingTheCommittedFileKeepsEveryCamera()
    {
        const QString copy = copyOfCommittedFile(QStringLiteral("rewritten.ini"));
        QVERIFY(!copy.isEmpty());
        {
            AppSettings store(copy);
            store.save(QStringLiteral("192.0.2.200"), QStringLiteral("Temporary ü"));
            QCOMPARE(store.addressOf(QStringLiteral("Temporary ü")), QStringLiteral("192.0.2.200"));
        }
        QVERIFY(contents(copy) != contents(committedFile()));
        {
            AppSettings store(copy);
            store.remove(QStringLiteral("Temporary ü"));
        }
        const QStringList problems = differencesFromReference(copy);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        QCOMPARE(QString::fromUtf8(contents(copy)), QString::fromUtf8(contents(committedFile())));
    }

    // Both builds in one run: each reads what the other writes, and what the other
    // rewrites, and both write the same bytes.
    void peerBuildAndThisOneReadEachOther()
    {
        const QString peer = peerStore();
        if (peer.isEmpty())
            QSKIP("HALVORINE_PEER_STORE names no build against the other Qt major");
        QVERIFY2(QFile::exists(peer), qPrintable(peer));

        const QString byPeer = dir.filePath(QStringLiteral("by-peer.ini"));
        QFile::remove(byPeer);
        const QByteArray peerWrite = runPeer(peer, {QStringLiteral("--write"), byPeer});
        QVERIFY2(peerWrite.isNull(), peerWrite.constData());
        QStringList problems = differencesFromReference(byPeer);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));

        const QString byThis = dir.filePath(QStringLiteral("by-this.ini"));
        QFile::remove(byThis);
        writeReference(byThis);
        const QByteArray peerCheck = runPeer(peer, {QStringLiteral("--check"), byThis});
        QVERIFY2(peerCheck.isNull(), peerCheck.constData());
        QCOMPARE(QString::fromUtf8(contents(byThis)), QString::fromUtf8(contents(byPeer)));

        // This build rewrites the peer's file; the peer reads it back unchanged.
        {
            AppSettings store(byPeer);
            store.save(QStringLiteral("192.0.2.201"), QStringLiteral("Passing through"));
        }
        {
            AppSettings store(byPeer);
            store.remove(QStringLiteral("Passing through"));
        }
        const QByteArray peerReread = runPeer(peer, {QStringLiteral("--check"), byPeer});
        QVERIFY2(peerReread.isNull(), peerReread.constData());
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && (std::strcmp(argv[1], "--write") == 0 || std::strcmp(argv[1], "--check") == 0)) {
        QCoreApplication app(argc, argv);
        const QString path = QString::fromLocal8Bit(argv[2]);
        if (std::strcmp(argv[1], "--write") == 0) {
            QFile::remove(path); // the reference cameras alone, whatever was there
            writeReference(path);
            return 0;
        }
        const QStringList problems = differencesFromReference(path);
        for (const QString &problem : problems)
            std::fprintf(stderr, "%s\n", qPrintable(problem));
        return problems.isEmpty() ? 0 : 1;
    }
    QCoreApplication app(argc, argv);
    TestSettingsFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_settingsfile.moc"
