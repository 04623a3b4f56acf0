#pragma once

#include "core/FileDialog.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace vendrel {

/// Open and save dialogs of the platform. The classic "Name|pattern|" filter list becomes Qt's
/// "Name (pattern)" entries; the default extension is added to a chosen name without one. A script's save
/// and a selections file's save and load start in the folder the last one of their kind used, also in
/// an earlier run: the folders are kept in the program's settings.
class QtFileDialog : public FileDialog
{
public:
    explicit QtFileDialog(QWidget* parent = nullptr) : m_parent(parent) {}
    std::optional<QString> showOpen(const FileDialogRequest& request) override;
    std::optional<QString> showSave(const FileDialogRequest& request) override;
    /// A folder that may be new: the dialog offers to make one.
    std::optional<QString> showFolder(const FileDialogRequest& request) override;

    /// "JavaScript (*.js)|*.js|" -> {"JavaScript (*.js)"}; a name without the pattern in it gets it.
    static QStringList qtFilters(const QString& classic);
    /// `name` with `defaultExtension` (".js") appended when its file part has no extension.
    static QString withDefaultExtension(const QString& name, const QString& defaultExtension);
    /// The dialog's title, by what it opens or saves: "Save Script", "Save Selections", "Load
    /// Selections", "Open World".
    static QString titleFor(const FileDialogRequest& request, bool save);
    /// The settings key of the folder a dialog of the request's kind starts in: scripts and selections
    /// files have one (a selections file's load and save share it); worlds none.
    static QString folderKeyFor(const FileDialogRequest& request);

private:
    std::optional<QString> run(const FileDialogRequest& request, bool save);

    QPointer<QWidget> m_parent;
};

} // namespace vendrel
