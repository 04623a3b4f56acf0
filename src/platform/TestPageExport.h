#pragma once

#include "scriptgen/ScriptFunctions.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace vendrel {

class SceneTree;

/// A test page for the script of the ticked items: a folder that any web server can serve, with the
/// script, vendrel-host.js, X_ITE (copied, or named by its CDN address), the world (a local one copied
/// with the files it read, below its project root; a web one named by its address) and index.html, which
/// has a row per function of the script to call it and see what it does.
class TestPageExport
{
public:
    /// What the page is made of.
    struct Request
    {
        QString address; ///< the world as the address box shows it: a path, file URL or http(s) address
        QStringList worldFiles; ///< real paths of the local files the world read (XiteBrowser::worldFiles)
        QString folder;         ///< where the page goes; made when missing
        bool cdn = false;       ///< X_ITE from its CDN address instead of a copy
    };
    struct Result
    {
        int functions = 0;
        int files = 0;
        qint64 bytes = 0;
    };

    /// The folder within an export where a local world and its files go.
    static inline const QString worldFolder = QStringLiteral("world");

    /// Writes the page for the items of `tree` ticked now. Every file is written whole (FileWriter); on a
    /// failure the files written before it stay and `error` gets a sentence that names what and why.
    static bool write(const SceneTree& tree, const Request& request, Result* result, QString* error);

    /// index.html for `functions`, with the X_ITE, world and script addresses as the page uses them.
    static QByteArray pageHtml(const std::vector<ScriptFunctions::Function>& functions, const QString& title,
                               const QString& xite, const QString& world, const QString& script);
    /// X_ITE's pinned address on the CDN, for the version the tool carries.
    static QString cdnAddress();
};

} // namespace vendrel
