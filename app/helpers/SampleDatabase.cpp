#include "app/helpers/SampleDatabase.h"

#include "app/ui/Runtime.h"
#include "db/Access.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace app {

namespace {

QString UsersCopy() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) return QString();
    return QDir(data).filePath(QStringLiteral("Fendrel/Samples/sample.mdb"));
}

} // namespace

QString SampleDatabase() {
    const QString programs = BesideProgram(QStringLiteral("Samples/sample.mdb"));
    if (!QFileInfo::exists(programs) || Access::FileIsWritable(QDir::fromNativeSeparators(programs).toStdString()))
        return programs;
    const QString copy = UsersCopy();
    if (copy.isEmpty()) return programs;
    if (!QFileInfo::exists(copy)) {
        // Copied under a temporary name and then renamed, so an interrupted copy is never taken
        // for the sample.
        const QString partial = copy + QStringLiteral(".part");
        QFile::remove(partial);
        if (!QDir().mkpath(QFileInfo(copy).absolutePath()) || !QFile::copy(programs, partial)) return programs;
        QFile::setPermissions(partial, QFile::permissions(partial) | QFileDevice::WriteOwner | QFileDevice::ReadOwner);
        if (!QFile::rename(partial, copy)) {
            QFile::remove(partial);
            return programs;
        }
    }
    return QDir::toNativeSeparators(copy);
}

} // namespace app
