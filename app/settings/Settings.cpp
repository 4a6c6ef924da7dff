#include "app/settings/Settings.h"

#include "app/ProductTitle.h"
#include "app/errors/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace app {

namespace {

const QString ApplicationName = QStringLiteral("Marquell");
constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QSettings Store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, ApplicationName);
}

// Creates the file empty and private before its first write, so that the password never lies in
// a file that others may read.
void CreatePrivately(const QString& path) {
    if (QFileInfo::exists(path)) return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::NewOnly, OwnerOnly);
}

} // namespace

QString SettingsFile() {
    return Store().fileName();
}

QString GetSetting(const QString& key, const QString& defaultValue) {
    QSettings store = Store();
    store.beginGroup(ProductTitle);
    return store.value(key, defaultValue).toString();
}

void SaveSetting(const QString& key, const QString& value) {
    QSettings store = Store();
    CreatePrivately(store.fileName());
    store.beginGroup(ProductTitle);
    store.setValue(key, value);
    store.sync();
    if (store.status() != QSettings::NoError)
        throw Failure(QStringLiteral("Could not save the setting ") + key + QStringLiteral(" in ") +
                      store.fileName());
    QFile::setPermissions(store.fileName(), OwnerOnly);
}

} // namespace app
