#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace vendrel {

/// The command line of x3d-vendrel-batch.
struct BatchOptions
{
    enum class Command
    {
        Tree,
        Script,
        Check,
        Page,
        Sweep,
        Help,
        Version,
    };
    Command command = Command::Help;
    bool named = false;
    bool get = false;
    bool set = false;
    bool on = false;
    QStringList selectNames;
    QString selectionsFile;
    QString output;
    bool withHost = false;   ///< vendrel-host.js goes beside the script
    bool cdn = false;        ///< the test page names X_ITE by its CDN address
    QString target;          ///< the world, or the folder for sweep
    int timeoutSeconds = 60; ///< for the load, the walk and the script together
    int maxItems = 5'000'000;
    bool verbose = false;
    bool allowNetwork = false; ///< a local world's page may fetch web material
    bool strict = false;       ///< findings of the script check make the run fail

    /// Reads the arguments after the program name; on bad usage returns nothing and sets `error`. -h,
    /// --help and --version win over anything else after a command.
    static std::optional<BatchOptions> parse(const QStringList& arguments, QString* error);
    static QString usage();
    /// The tool's version and that of the X3D browser it carries, a line each.
    static QString version();
};

} // namespace vendrel
