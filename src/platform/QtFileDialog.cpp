#include "QtFileDialog.h"

#include "persistence/ModuleINI.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace vendrel {

QStringList QtFileDialog::qtFilters(const QString& classic)
{
    const QStringList parts = classic.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        const QString pattern = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (name.isEmpty() && pattern.isEmpty())
            continue;
        if (name.contains(QLatin1Char('(')))
            filters << name;
        else
            filters << name + QStringLiteral(" (") + pattern + u')';
    }
    return filters;
}

QString QtFileDialog::withDefaultExtension(const QString& name, const QString& defaultExtension)
{
    if (name.isEmpty() || defaultExtension.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    if (defaultExtension.startsWith(QLatin1Char('.')))
        return name + defaultExtension;
    return name + u'.' + defaultExtension;
}

std::optional<QString> QtFileDialog::showOpen(const FileDialogRequest& request)
{
    return run(request, false);
}

std::optional<QString> QtFileDialog::showSave(const FileDialogRequest& request)
{
    return run(request, true);
}

QString QtFileDialog::titleFor(const FileDialogRequest& request, bool save)
{
    if (request.defaultExtension == u".js")
        return QStringLiteral("Save Script");
    if (request.defaultExtension == u".x3ds")
        return save ? QStringLiteral("Save Selections") : QStringLiteral("Load Selections");
    return save ? QStringLiteral("Save") : QStringLiteral("Open World");
}

QString QtFileDialog::folderKeyFor(const FileDialogRequest& request)
{
    if (request.defaultExtension == u".js")
        return ModuleINI::settingsKeyScriptFolder;
    if (request.defaultExtension == u".x3ds")
        return ModuleINI::settingsKeySelectionsFolder;
    return {};
}

std::optional<QString> QtFileDialog::showFolder(const FileDialogRequest& request)
{
    QFileDialog dialog(m_parent.data());
    dialog.setWindowTitle(QStringLiteral("Choose Folder"));
    dialog.setObjectName(QStringLiteral("folderDialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!request.initialFileName.isEmpty())
        dialog.setDirectory(request.initialFileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtFileDialog::run(const FileDialogRequest& request, bool save)
{
    QFileDialog dialog(m_parent.data());
    dialog.setWindowTitle(titleFor(request, save));
    dialog.setObjectName(save ? QStringLiteral("saveDialog") : QStringLiteral("openDialog"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = qtFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    QString suffix = request.defaultExtension;
    if (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    QString initialFileName = request.initialFileName;
    // The dialog starts in the folder its kind used last, with the name the command proposes.
    const QString folderKey = folderKeyFor(request);
    ModuleINI settings; // its own target: a command may have pointed the shared one elsewhere
    settings.SetSettingsTarget();
    const QString folder = folderKey.isEmpty() ? QString() : settings.ReadINI(folderKey, QString());
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        initialFileName = QDir(folder).filePath(QFileInfo(initialFileName).fileName());
    if (!initialFileName.isEmpty()) {
        const QFileInfo initial(initialFileName);
        if (initial.isDir())
            dialog.setDirectory(initial.absoluteFilePath());
        else {
            if (!initial.path().isEmpty() && initial.path() != QStringLiteral("."))
                dialog.setDirectory(initial.absolutePath());
            dialog.selectFile(initial.fileName());
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen =
        withDefaultExtension(dialog.selectedFiles().constFirst(), request.defaultExtension);
    // Not keeping the folder costs only the convenience: the command goes on.
    if (!folderKey.isEmpty())
        settings.WriteINI(folderKey, QFileInfo(chosen).absolutePath());
    return chosen;
}

} // namespace vendrel
