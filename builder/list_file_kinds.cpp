#include "builder/list_file_kinds.h"

#include "gfx/codecs/picture_formats.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <initializer_list>

namespace vorlin::builder {

namespace {

// The picture extensions the loader knows, in lower case.
QStringList knownPictureSuffixes() {
    QStringList suffixes;
    for (const gfx::PictureExtension& e : gfx::kPictureExtensions) suffixes << e.extension;
    return suffixes;
}

} // namespace

const QStringList& pictureSuffixes() {
    static const QStringList suffixes = knownPictureSuffixes();
    return suffixes;
}

const QStringList& musicSuffixes() {
    static const QStringList suffixes = {"mp3", "wav", "mid"};
    return suffixes;
}

QString pictureFilter() {
    using F = gfx::PictureFormat;
    struct Group {
        const char* label;
        std::initializer_list<F> formats;
    };
    static const Group groups[] = {
        {"GIF Files", {F::Gif}},   {"JPEG Files", {F::Jpeg}},
        {"Bitmaps", {F::Bmp}},     {"Metafiles", {F::Wmf, F::Emf}},
        {"Icons", {F::Ico}},       {"PNG Files", {F::Png}},
        {"WebP Files", {F::Webp}}, {"HEIC and AVIF Files", {F::Heif}},
    };
    // The patterns of the given formats, in the extension list's order: "*.jpg;*.jpeg" / "*.jpg, *.jpeg".
    auto patterns = [](std::initializer_list<F> formats, const char* separator) {
        QStringList list;
        for (const gfx::PictureExtension& e : gfx::kPictureExtensions)
            if (std::find(formats.begin(), formats.end(), e.format) != formats.end())
                list << QStringLiteral("*.") + e.extension;
        return list.join(separator);
    };
    QStringList parts{"All Pictures", "*." + pictureSuffixes().join(";*.")};
    for (const Group& g : groups)
        parts << QString("%1 (%2)").arg(g.label, patterns(g.formats, ", ")) << patterns(g.formats, ";");
    return parts.join('|');
}

QStringList expandDropped(const QList<QUrl>& urls, const QStringList& suffixes) {
    QStringList files;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) continue;
        const QString path = url.toLocalFile();
        const QFileInfo info(path);
        if (info.isDir()) {
            QStringList inFolder;
            QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString f = it.next();
                if (suffixes.contains(QFileInfo(f).suffix().toLower())) inFolder << f;
            }
            inFolder.sort(Qt::CaseInsensitive);
            files << inFolder;
        } else if (info.isFile() && suffixes.contains(info.suffix().toLower())) {
            files << info.absoluteFilePath();
        }
    }
    return files;
}

} // namespace vorlin::builder
