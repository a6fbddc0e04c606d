#ifndef HALVORINE_APPSETTINGS_H
#define HALVORINE_APPSETTINGS_H

#include <QObject>
#include <QStringList>

class QSettings;

// The saved cameras, kept in an INI file: one key "camName_" + name per camera,
// holding the camera's address. "0.0.0.0" marks an absent entry.
class AppSettings : public QObject
{
    Q_OBJECT

public:
    explicit AppSettings(const QString &filePath);
    ~AppSettings() override;

    bool contains(const QString &name) const;
    QStringList names() const;
    QString addressOf(const QString &name) const;
    void remove(const QString &name);
    void save(const QString &address, const QString &name);

private:
    QSettings *settings;
};

#endif
