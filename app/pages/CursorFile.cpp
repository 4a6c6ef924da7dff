#include "app/pages/CursorFile.h"

#include "app/errors/Failure.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QtEndian>

namespace app {

namespace {

// The file begins with a directory: reserved (0), type (2 for cursors), image count; then one
// 16-byte entry per image, whose bytes 4 to 7 hold the hotspot's x and y.
constexpr qsizetype DirectorySize = 6;
constexpr qsizetype EntrySize = 16;
constexpr quint16 CursorType = 2;

quint16 Word(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

Failure InvalidPicture(const QString& path) {
    return Failure(QStringLiteral("Invalid picture: ") + path);
}

} // namespace

QCursor LoadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw Failure(file.errorString() + QStringLiteral(": ") + path);
    const QByteArray header = file.read(DirectorySize + EntrySize);
    if (header.size() < DirectorySize + EntrySize || Word(header, 0) != 0 || Word(header, 2) != CursorType ||
        Word(header, 4) == 0)
        throw InvalidPicture(path);
    const int hotX = Word(header, DirectorySize + 4);
    const int hotY = Word(header, DirectorySize + 6);
    file.close();

    const QImage image(path, "cur");
    if (image.isNull()) throw InvalidPicture(path);
    return QCursor(QPixmap::fromImage(image), qMin(hotX, image.width() - 1), qMin(hotY, image.height() - 1));
}

} // namespace app
