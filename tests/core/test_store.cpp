// The saved-camera store against real INI files.
#include "settings/appsettings.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <unistd.h>

class TestStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<AppSettings> store;

    void reopen()
    {
        store.reset();
        store = std::make_unique<AppSettings>(path);
    }
    QStringList sortedNames() const
    {
        QStringList names = store->names();
        names.sort();
        return names;
    }

private slots:
    void init()
    {
        static int round = 0;
        path = dir.filePath(QStringLiteral("settings-%1.ini").arg(++round));
        store = std::make_unique<AppSettings>(path);
    }
    void cleanup() { store.reset(); }

    void emptyStoreHasNothing()
    {
        QVERIFY(store->names().isEmpty());
        QVERIFY(!store->contains(QStringLiteral("Lobby")));
        QVERIFY(!store->contains(QString()));
        QCOMPARE(store->addressOf(QStringLiteral("Lobby")), QStringLiteral("0.0.0.0"));
    }

    void emptyNameFilesUnderTheAddress()
    {
        store->save(QStringLiteral("192.0.2.10"), QString());
        QCOMPARE(store->names(), QStringList{QStringLiteral("192.0.2.10")});
        QCOMPARE(store->addressOf(QStringLiteral("192.0.2.10")), QStringLiteral("192.0.2.10"));
        QVERIFY(store->contains(QStringLiteral("192.0.2.10")));
    }

    void oneEntryPerAddressAndPerName()
    {
        store->save(QStringLiteral("192.0.2.10"), QStringLiteral("Lobby"));
        store->save(QStringLiteral("192.0.2.10"), QStringLiteral("Stage"));
        QCOMPARE(store->names(), QStringList{QStringLiteral("Stage")});
        QCOMPARE(store->addressOf(QStringLiteral("Stage")), QStringLiteral("192.0.2.10"));

        store->save(QStringLiteral("192.0.2.11"), QStringLiteral("Stage"));
        QCOMPARE(store->names(), QStringList{QStringLiteral("Stage")});
        QCOMPARE(store->addressOf(QStringLiteral("Stage")), QStringLiteral("192.0.2.11"));

        store->save(QStringLiteral("192.0.2.11"), QStringLiteral("Stage"));
        QCOMPARE(store->names().size(), 1);

        // Other cameras are untouched by a save.
        store->save(QStringLiteral("192.0.2.12"), QStringLiteral("Pulpit"));
        QCOMPARE(sortedNames(), (QStringList{QStringLiteral("Pulpit"), QStringLiteral("Stage")}));
    }

    void saveThenRemoveLeavesTheStoreAsItWas()
    {
        store->save(QStringLiteral("192.0.2.1"), QStringLiteral("A"));
        const QStringList before = sortedNames();
        store->save(QStringLiteral("192.0.2.2"), QStringLiteral("B"));
        store->remove(QStringLiteral("B"));
        QCOMPARE(sortedNames(), before);
        store->remove(QStringLiteral("never saved"));
        QCOMPARE(sortedNames(), before);
    }

    void zeroAddressCountsAsAbsent()
    {
        store->save(QStringLiteral("0.0.0.0"), QStringLiteral("Blank"));
        QCOMPARE(store->names(), QStringList{QStringLiteral("Blank")});
        QVERIFY(!store->contains(QStringLiteral("Blank")));
        QCOMPARE(store->addressOf(QStringLiteral("Blank")), QStringLiteral("0.0.0.0"));
        // Saving that address again replaces every entry that holds it.
        store->save(QStringLiteral("0.0.0.0"), QStringLiteral("Other"));
        QCOMPARE(store->names(), QStringList{QStringLiteral("Other")});
    }

    void keysWithoutThePrefixAreListedCutShort()
    {
        store.reset();
        {
            QSettings raw(path, QSettings::IniFormat);
            raw.setValue(QStringLiteral("handwritten"), QStringLiteral("192.0.2.50"));
            raw.setValue(QStringLiteral("short"), QStringLiteral("192.0.2.51"));
        }
        reopen();
        QCOMPARE(sortedNames(), (QStringList{QString(), QStringLiteral("ten")}));
        QCOMPARE(store->addressOf(QStringLiteral("ten")), QStringLiteral("0.0.0.0"));
        // A save reduces such keys the same way and must neither crash nor touch them.
        store->save(QStringLiteral("192.0.2.50"), QStringLiteral("Lobby"));
        QCOMPARE(store->names().size(), 3);
    }

    void addressesAreExactText()
    {
        store->save(QStringLiteral("192.0.2.10"), QStringLiteral("Plain"));
        store->save(QStringLiteral(" 192.0.2.10 "), QStringLiteral("Spaced"));
        QCOMPARE(sortedNames(), (QStringList{QStringLiteral("Plain"), QStringLiteral("Spaced")}));
        QCOMPARE(store->addressOf(QStringLiteral("Spaced")), QStringLiteral(" 192.0.2.10 "));
        store->save(QStringLiteral("192.0.2.10"), QStringLiteral("PLAIN"));
        QCOMPARE(sortedNames(), (QStringList{QStringLiteral("PLAIN"), QStringLiteral("Spaced")}));
    }

    void persistsAcrossStoreObjects_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::newRow("plain") << QStringLiteral("Lobby") << QStringLiteral("192.0.2.10");
        QTest::newRow("slash") << QStringLiteral("Studio A/B") << QStringLiteral("cam/1");
        QTest::newRow("backslash") << QStringLiteral("Left\\Right") << QStringLiteral("a\\b");
        QTest::newRow("equals") << QStringLiteral("x=y") << QStringLiteral("k=v");
        QTest::newRow("semicolon") << QStringLiteral("Nave;East") << QStringLiteral("10.0.0.1;");
        QTest::newRow("brackets") << QStringLiteral("[General]") << QStringLiteral("[x]");
        QTest::newRow("hash") << QStringLiteral("#1 camera") << QStringLiteral("#comment");
        QTest::newRow("quote") << QStringLiteral("\"Main\"") << QStringLiteral("\"q\"");
        QTest::newRow("comma") << QStringLiteral("Front, left") << QStringLiteral("a,b");
        QTest::newRow("spaces") << QStringLiteral("  Balcony  ") << QStringLiteral(" 192.0.2.9 ");
        QTest::newRow("non-ascii") << QStringLiteral("Kapelle Süd 日本") << QStringLiteral("kamera-ü.local");
    }
    void persistsAcrossStoreObjects()
    {
        QFETCH(QString, name);
        QFETCH(QString, address);
        store->save(address, name);
        store->save(QStringLiteral("192.0.2.99"), QStringLiteral("Neighbour"));
        reopen();
        QStringList expected{QStringLiteral("Neighbour"), name};
        expected.sort();
        QCOMPARE(sortedNames(), expected);
        QCOMPARE(store->addressOf(name), address);
        QVERIFY(store->contains(name));
        // And the address still de-duplicates after the round trip.
        store->save(address, QStringLiteral("Renamed"));
        reopen();
        QCOMPARE(sortedNames(), (QStringList{QStringLiteral("Neighbour"), QStringLiteral("Renamed")}));
        QCOMPARE(store->addressOf(QStringLiteral("Renamed")), address);
    }

    // QSettings treats "/" in a key as a group separator and removes a key together
    // with everything below it; a camera must never take its neighbours with it.
    void removingACameraLeavesItsNeighbours_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("below");
        QTest::newRow("slash") << "Studio" << "Studio/A";
        QTest::newRow("double slash") << "Hall" << "Hall//Left";
        QTest::newRow("trailing slash") << "Nave/" << "Nave/Pulpit";
        QTest::newRow("nested") << "A/B" << "A/B/C";
        QTest::newRow("ini specials") << "Room;=[x]#\\\"" << "Room;=[x]#\\\"/2";
    }
    void removingACameraLeavesItsNeighbours()
    {
        QFETCH(QString, name);
        QFETCH(QString, below);
        store->save(QStringLiteral("192.0.2.1"), name);
        store->save(QStringLiteral("192.0.2.2"), below);
        store->save(QStringLiteral("192.0.2.3"), below + QStringLiteral("/deeper"));

        store->remove(name);
        QVERIFY(!store->contains(name));
        QCOMPARE(store->addressOf(below), QStringLiteral("192.0.2.2"));
        QCOMPARE(store->addressOf(below + QStringLiteral("/deeper")), QStringLiteral("192.0.2.3"));

        reopen();
        QVERIFY(!store->contains(name));
        QCOMPARE(store->addressOf(below), QStringLiteral("192.0.2.2"));
        QCOMPARE(store->addressOf(below + QStringLiteral("/deeper")), QStringLiteral("192.0.2.3"));
        QCOMPARE(store->names().size(), 2);
    }
    // save() drops the entries that already hold the address; that must not delete the
    // entries below them.
    void savingOverAnAddressLeavesTheNeighboursBelow()
    {
        store->save(QStringLiteral("192.0.2.1"), QStringLiteral("Studio"));
        store->save(QStringLiteral("192.0.2.2"), QStringLiteral("Studio/A"));
        store->save(QStringLiteral("192.0.2.1"), QStringLiteral("Main"));
        reopen();
        QCOMPARE(sortedNames(), QStringList({QStringLiteral("Main"), QStringLiteral("Studio/A")}));
        QCOMPARE(store->addressOf(QStringLiteral("Studio/A")), QStringLiteral("192.0.2.2"));
    }

    void badFilesGiveAnEmptyOrPartialStore()
    {
        // Binary garbage: whatever the parser keeps, nothing crashes and saving still works.
        store.reset();
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QByteArray garbage;
            for (int i = 0; i < 4096; ++i)
                garbage.append(static_cast<char>((i * 7919) % 256));
            file.write(garbage);
        }
        reopen();
        const QStringList names = store->names();
        for (const QString &name : names)
            store->addressOf(name);
        store->save(QStringLiteral("192.0.2.10"), QStringLiteral("Lobby"));
        QCOMPARE(store->addressOf(QStringLiteral("Lobby")), QStringLiteral("192.0.2.10"));
    }

    void unreadableFileReadsEmpty()
    {
        if (geteuid() == 0)
            QSKIP("root reads every file; permissions cannot make it unreadable");
        store.reset();
        {
            QSettings raw(path, QSettings::IniFormat);
            raw.setValue(QStringLiteral("camName_Lobby"), QStringLiteral("192.0.2.10"));
        }
        QFile::setPermissions(path, QFileDevice::Permissions());
        reopen();
        QVERIFY(store->names().isEmpty());
        QCOMPARE(store->addressOf(QStringLiteral("Lobby")), QStringLiteral("0.0.0.0"));
    }

    void unwritableLocationKeepsValuesInMemory()
    {
        store = std::make_unique<AppSettings>(QStringLiteral("/proc/halvorine-no-such-dir/settings.ini"));
        store->save(QStringLiteral("192.0.2.10"), QStringLiteral("Lobby"));
        QCOMPARE(store->addressOf(QStringLiteral("Lobby")), QStringLiteral("192.0.2.10"));
        store.reset(); // writing at destruction fails quietly
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
