#pragma once

#include <QDockWidget>
#include <QStringList>

class QPlainTextEdit;
class QToolButton;

namespace vendrel {

/// The console panel: what X_ITE and the world's scripts said on the console for the world shown. What
/// the page of a load in progress says is kept aside until the load brings its world, and dropped when
/// it does not. Warnings and errors show a badge in the status line, which opens the panel.
class ConsoleDock : public QDockWidget
{
    Q_OBJECT
public:
    /// The badge is made here; the window puts it into its status line.
    explicit ConsoleDock(QWidget* parent);

    QToolButton* badge() const { return m_badge; }

    /// `level` 0 info, 1 warning, 2 error; `loading`: from the page of the load in progress.
    void add(const QString& message, int level, bool loading);
    /// The load in progress brought its world: its messages are now the shown world's.
    void loadDone();
    /// The load in progress ended without a world: its messages go.
    void loadDropped();

    static constexpr int maxMessages = 1'000;
    static constexpr int maxLength = 2'000; // characters of one message

private:
    void appendLine(const QString& line, int level);
    void updateBadge();

    QPlainTextEdit* m_text = nullptr;
    QToolButton* m_badge = nullptr;
    QList<std::pair<QString, int>> m_pending; // of the load in progress
    int m_warnings = 0;                       // warnings and errors of the world shown
};

} // namespace vendrel
