#include "WorldFileGate.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

namespace vendrel {

namespace {

/// Kinds of files a world may refer to, by extension.
bool isWorldMaterial(const QString& path)
{
    static const QSet<QString> extensions = {
        QStringLiteral("wrl"),  QStringLiteral("wrz"),  QStringLiteral("x3d"),   QStringLiteral("x3dv"),
        QStringLiteral("x3db"), QStringLiteral("x3dz"), QStringLiteral("x3dvz"), QStringLiteral("gz"),
        QStringLiteral("png"),  QStringLiteral("jpg"),  QStringLiteral("jpeg"),  QStringLiteral("gif"),
        QStringLiteral("bmp"),  QStringLiteral("webp"), QStringLiteral("svg"),   QStringLiteral("ktx2"),
        QStringLiteral("dds"),  QStringLiteral("hdr"),  QStringLiteral("mp3"),   QStringLiteral("wav"),
        QStringLiteral("ogg"),  QStringLiteral("oga"),  QStringLiteral("ogv"),   QStringLiteral("mp4"),
        QStringLiteral("webm"), QStringLiteral("js"),   QStringLiteral("glsl"),  QStringLiteral("vs"),
        QStringLiteral("fs"),   QStringLiteral("vert"), QStringLiteral("frag"),  QStringLiteral("geom"),
        QStringLiteral("gltf"), QStringLiteral("glb"),  QStringLiteral("bin"),   QStringLiteral("obj"),
        QStringLiteral("mtl"),  QStringLiteral("stl"),  QStringLiteral("ply"),   QStringLiteral("ttf"),
        QStringLiteral("otf"),  QStringLiteral("woff"), QStringLiteral("woff2"),
    };
    return extensions.contains(QFileInfo(path).suffix().toLower());
}

bool isInside(const QString& path, const QString& folder)
{
    return path.startsWith(folder) && path.size() > folder.size() && path.at(folder.size()) == u'/';
}

/// The system's own trees: nothing in them is world material, whatever its name.
bool isSystemTree(const QString& path)
{
    for (const char* tree : {"/proc", "/sys", "/dev"}) {
        const QString folder = QString::fromLatin1(tree);
        if (path == folder || isInside(path, folder))
            return true;
    }
    return false;
}

/// Folders too wide to be a project: "/", first-level folders, the home folder and those above it.
bool mayBeRoot(const QString& folder)
{
    if (folder.isEmpty() || folder == u'/' || folder.count(u'/') < 2 || isSystemTree(folder))
        return false;
    QString home = QFileInfo(QDir::homePath()).canonicalFilePath();
    if (home.isEmpty())
        home = QDir::cleanPath(QDir::homePath());
    return !(folder == home || isInside(home, folder));
}

} // namespace

void WorldFileGate::setWorld(const QString& worldPath)
{
    m_given = worldPath.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(worldPath).absoluteFilePath());
    m_world = worldPath.isEmpty() ? QString() : QFileInfo(worldPath).canonicalFilePath();
    m_root = m_world.isEmpty() ? QString() : rootFor(m_world);
}

QString WorldFileGate::rootFor(const QString& worldPath)
{
    const QString folder = QFileInfo(QFileInfo(worldPath).absolutePath()).canonicalFilePath();
    if (!mayBeRoot(folder))
        return {};
    QString root = folder;
    for (int up = 0; up < 4; ++up) {
        const QString parent = QFileInfo(root).path();
        if (!mayBeRoot(parent))
            break;
        root = parent;
    }
    return root;
}

QString WorldFileGate::resolve(const QString& path) const
{
    if (m_given.isEmpty() || !QDir::isAbsolutePath(path))
        return {};
    const QFileInfo info(QDir::cleanPath(path));
    if (info.filePath() == m_given && info.isFile())
        return m_given;                            // as given: its real name may not be readable text
    const QString real = info.canonicalFilePath(); // empty when missing
    if (real.isEmpty() || !QFileInfo(real).isFile())
        return {}; // a folder, a FIFO or a device is no world material
    if (real == m_world)
        return real;
    if (m_root.isEmpty() || !isInside(real, m_root) || isSystemTree(real))
        return {};
    // Hidden files and folders (keys, settings) are never world material.
    if (real.mid(m_root.size()).contains(QLatin1String("/.")))
        return {};
    if (!isWorldMaterial(real) || !isWorldMaterial(info.fileName()))
        return {};
    return real;
}

} // namespace vendrel
