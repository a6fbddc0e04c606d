#ifndef HALVORINE_TESTENVIRONMENT_H
#define HALVORINE_TESTENVIRONMENT_H

#include <QString>
#include <QTemporaryDir>

// Points the per-user data and config folders at a temporary directory, so that a
// test never reads or writes the real user's saved cameras. Must be set up before
// the application object exists.
class TestEnvironment
{
public:
    TestEnvironment();
    QString dataHome() const;
    // Where the program under test keeps its settings file for this environment.
    QString settingsFileFor(const QString &applicationName) const;

private:
    QTemporaryDir home;
};

#endif
