#pragma once

#include <QString>

namespace vendrel {

/// Decides which local files the page of a local world may read. A world is untrusted: its scripts run in
/// the page and can ask for any address. It may read its own file, wherever it lies and whatever its name,
/// and files of the kinds a world refers to (worlds, images, sounds, movies, shaders, fonts, scripts,
/// models) inside its project root: its folder and the folders above it, at most four levels up (real
/// worlds reach their textures through up to four "../"), but never "/", a first-level folder, the home
/// folder or a folder above it. Every path is judged by where it really is, after symbolic links are
/// resolved; hidden entries below the root and anything in /proc, /sys or /dev are never served.
class WorldFileGate
{
public:
    /// The world loaded from now on; empty for none (or a world from the web): no local file is served.
    void setWorld(const QString& worldPath);

    /// The project root of a world at `worldPath`, resolved; empty when not even the world's own folder
    /// may be one (then only the world file itself is served).
    static QString rootFor(const QString& worldPath);

    /// The real path of the file to serve for the absolute, decoded `path`, or empty when it may not be.
    QString resolve(const QString& path) const;

private:
    QString m_given; // the world file as named
    QString m_world; // its real path
    QString m_root;
};

} // namespace vendrel
