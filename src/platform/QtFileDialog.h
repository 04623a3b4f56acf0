#pragma once

#include "core/FileDialog.h"

#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace vendrel {

/// Open and save dialogs of the platform. The classic "Name|pattern|" filter list becomes Qt's
/// "Name (pattern)" entries; the default extension is added to a chosen name without one.
class QtFileDialog : public FileDialog
{
public:
    explicit QtFileDialog(QWidget* parent = nullptr) : m_parent(parent) {}
    std::optional<QString> showOpen(const FileDialogRequest& request) override;
    std::optional<QString> showSave(const FileDialogRequest& request) override;

    /// "JavaScript (*.js)|*.js|" -> {"JavaScript (*.js)"}; a name without the pattern in it gets it.
    static QStringList qtFilters(const QString& classic);
    /// `name` with `defaultExtension` (".js") appended when its file part has no extension.
    static QString withDefaultExtension(const QString& name, const QString& defaultExtension);
    /// The dialog's title, by what it opens or saves: "Save Script", "Save Selections", "Load
    /// Selections", "Open World".
    static QString titleFor(const FileDialogRequest& request, bool save);

private:
    std::optional<QString> run(const FileDialogRequest& request, bool save);

    QPointer<QWidget> m_parent;
    QHash<QString, QString> m_lastSaveFolder; // by default extension, for this session
};

} // namespace vendrel
