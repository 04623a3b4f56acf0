#include "SelectionsFile.h"

#include "ModuleINI.h"
#include "SettingsTargetGuard.h"
#include "core/EventPump.h"
#include "core/FileDialog.h"
#include "core/FileNames.h"
#include "core/MessageBox.h"
#include "scene/SceneTree.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <exception>
#include <vector>

namespace vendrel {

namespace {

/// The positions of every text in the tree, so that an entry finds its next item without scanning the
/// rest of the tree, even when it matches nothing. Rebuilt when the tree has changed meanwhile.
class TextPositions
{
public:
    explicit TextPositions(const SceneTree& tree) : m_tree(tree) {}

    /// The first position after `after` (up to the current count) whose text is `text`; 0 when none.
    int firstAfter(const QString& text, int after)
    {
        // The next match is usually close by (a file saved from this tree): look there first.
        const int count = m_tree.count();
        const int near = std::min(count, after + nearby);
        for (int i = after + 1; i <= near; ++i) {
            if (m_tree.text(i) == text)
                return i;
        }
        if (near == count)
            return 0;
        if (m_generation != m_tree.generation() || m_count != m_tree.count())
            rebuild();
        const auto found = m_positions.constFind(text);
        if (found == m_positions.cend())
            return 0;
        const auto next = std::upper_bound(found->begin(), found->end(), after);
        return next == found->end() ? 0 : *next;
    }

private:
    static constexpr int nearby = 64;

    void rebuild()
    {
        m_positions.clear();
        m_generation = m_tree.generation();
        m_count = m_tree.count();
        for (int i = 1; i <= m_count; ++i)
            m_positions[m_tree.text(i)].push_back(i);
    }

    const SceneTree& m_tree;
    QHash<QString, std::vector<int>> m_positions;
    std::uint64_t m_generation = 0;
    int m_count = -1;
};

} // namespace

QString SelectionsFile::defaultFileName(const QString& address)
{
    return FileNames::StripExtension(address) + defaultExtension;
}

bool SelectionsFile::FileSaveSel_Click(SceneTree& tree, ModuleINI& ini, FileDialog& dialog,
                                       const QString& address, QString* error)
{
    try {
        const auto chosen = dialog.showSave(
            FileDialogRequest::make(saveFilter, defaultExtension, defaultFileName(address), saveFlags));
        if (!chosen)
            return false;

        SettingsTargetGuard target(ini, QFileInfo(*chosen).absoluteFilePath(), section);
        ModuleINI::Entries entries;
        const int count = tree.count();
        for (int i = 1; i <= count; ++i) {
            if (tree.checked(i))
                entries.emplace_back(keyPrefix + QString::number(i), tree.text(i));
        }
        // One write for the whole section: a section of many entries is not rewritten once per entry.
        QString reason;
        if (ini.ReplaceSection(entries, &reason))
            return true;
        if (error)
            *error = u"Couldn't save the selections to " % *chosen % u": " % reason;
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

int SelectionsFile::LoadSelections_Click(SceneTree& tree, ModuleINI& ini, FileDialog& dialog,
                                         EventPump& events, MessageBox& messages, const QString& address)
{
    try {
        const auto chosen =
            dialog.showOpen(FileDialogRequest::make(openFilter, defaultExtension, defaultFileName(address)));
        if (!chosen)
            return -1;
        QString error;
        const int ticked = LoadSelectionsFrom(tree, ini, events, *chosen, &error);
        if (!error.isEmpty())
            messages.show(error);
        return ticked;
    } catch (const std::exception&) {
        return -1;
    }
}

int SelectionsFile::LoadSelectionsFrom(SceneTree& tree, ModuleINI& ini, EventPump& events,
                                       const QString& fileName, QString* error)
{
    try {
        int lastMatched = 0;
        int ticked = 0;
        SettingsTargetGuard target(ini, QFileInfo(fileName).absoluteFilePath(), section);
        // Read once: every entry is looked up, and the file must not be reread per entry.
        QString reason;
        const auto entries = ini.ReadSection(&reason);
        if (!entries) {
            if (error && reason.isEmpty())
                *error = fileName % u" holds no selections";
            else if (error)
                *error = u"Couldn't read the selections file " % fileName % u": " % reason;
            return -1;
        }
        TextPositions positions(tree); // follows a tree the user rebuilt while events ran
        const int n = tree.count();
        for (int i = 1; i <= n; ++i) {
            const QString value = entries->value(keyPrefix + QString::number(i));
            if (value.isEmpty())
                continue;
            const int match = positions.firstAfter(value, lastMatched);
            if (match == 0)
                continue;
            tree.setChecked(match, true);
            ++ticked;
            lastMatched = match;
            events.processPendingEvents();
        }
        return ticked;
    } catch (const std::exception&) {
        return -1;
    }
}

} // namespace vendrel
