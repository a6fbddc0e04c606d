// What of an rtsp:// location may go to the log: never any part of a password.

#include <QtTest>

#include "without_credentials.h"

class WithoutCredentialsTest : public QObject {
    Q_OBJECT

private slots:
    void redactsTheWholeUserInfo_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("logged");
        QTest::newRow("none") << "192.168.1.20/1" << "192.168.1.20/1";
        QTest::newRow("user and password") << "admin:s3cret@cam.local:8554/1" << "cam.local:8554/1";
        QTest::newRow("slash in password") << "admin:se/cr/et@192.168.1.20/1" << "192.168.1.20/1";
        QTest::newRow("at in password") << "admin:p@ss@w@rd@192.168.1.20/1" << "192.168.1.20/1";
        QTest::newRow("both") << "ad@min:a/b@c/d@10.0.0.5/1" << "10.0.0.5/1";
        QTest::newRow("only user-info") << "admin:secret@" << "";
    }

    void redactsTheWholeUserInfo()
    {
        QFETCH(QString, location);
        QFETCH(QString, logged);
        QCOMPARE(QString::fromStdString(withoutCredentials(location.toStdString())), logged);
    }
};

QTEST_GUILESS_MAIN(WithoutCredentialsTest)
#include "tst_plugin_without_credentials.moc"
