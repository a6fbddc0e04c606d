// imagegen OUTPUT-DIR
//
// Draws the program's pictures into OUTPUT-DIR: the seven images of the resource
// bundle, the Windows icon and the Linux icon. The same build writes the same
// bytes every time, which the asset tests rely on to tell whether the committed
// files are what this program draws.

#include "artwork.h"
#include "icofile.h"

#include <QBuffer>
#include <QDir>
#include <QSaveFile>

#include <cstdio>

namespace {

// Best zlib compression; any fixed value would do, it only has to stay the same.
constexpr int kPngQuality = 0;

bool writeFile(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        std::fprintf(stderr, "imagegen: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    return true;
}

bool writePng(const QString &path, const QImage &image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG", kPngQuality)) {
        std::fprintf(stderr, "imagegen: cannot encode %s\n", qPrintable(path));
        return false;
    }
    return writeFile(path, data);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: imagegen OUTPUT-DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "imagegen: cannot create %s\n", argv[1]);
        return 1;
    }

    using artwork::Direction;
    const QImage icon = artwork::remoteIcon();
    const struct {
        const char *name;
        QImage image;
    } pngs[] = {
        {"toggle-off.png", artwork::toggleDisc(qRgb(0xff, 0x00, 0x00))},
        {"toggle-on.png", artwork::toggleDisc(qRgb(0x13, 0xff, 0x00))},
        {"toggle-mid.png", artwork::toggleDisc(qRgb(0xc9, 0xc9, 0xc9))},
        {"uparrow.png", artwork::arrowStrip(Direction::Up)},
        {"downarrow.png", artwork::arrowStrip(Direction::Down)},
        {"leftarrow.png", artwork::arrowStrip(Direction::Left)},
        {"rightarrow.png", artwork::arrowStrip(Direction::Right)},
        {"halvorine-remote.png", icon},
    };

    bool ok = true;
    for (const auto &png : pngs)
        ok = writePng(out.filePath(QLatin1String(png.name)), png.image) && ok;
    ok = writeFile(out.filePath(QStringLiteral("halvorine.ico")), icoFileData(icon)) && ok;
    return ok ? 0 : 1;
}
