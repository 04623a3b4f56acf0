#pragma once

#include "platform/XiteTry.h"
#include "scene/SceneTreeObserver.h"
#include "scriptgen/ScriptFunctions.h"

#include <QDockWidget>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTimer>

#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace vendrel {

class SceneTree;

/// The Try panel: one row per function of the script of the ticked items, run in the page of the world
/// shown. A setter row has input boxes shaped by its parameters, filled with the field's current value;
/// a getter row shows what it returned; a listener row shows its last calls and how many there were. An
/// error shows on the row that caused it. Showing the panel, or "Try", loads the script into the page;
/// ticks that change rebuild it (after a short pause), another world empties it.
class TryDock : public QDockWidget, private SceneTreeObserver
{
    Q_OBJECT
public:
    TryDock(SceneTree& tree, XiteTry* page, QWidget* parent);
    ~TryDock() override;

    /// Builds the rows anew from the ticks and loads the script into the page.
    void refresh();
    /// Another world is shown: the rows go until the panel is shown or refreshed again.
    void clear();
    /// Whether the last refresh finished: rows built, script loaded and boxes filled.
    bool isReady() const { return m_ready; }
    /// Milliseconds the last refresh took, from the ticks to the filled boxes.
    qint64 lastReadyMs() const { return m_readyMs; }

    /// The arguments of a call from the texts of its boxes: numbers, true/false, quoted or bare strings
    /// (all strings for an SFString field); "arr" a JSON list or elements separated by commas, an element
    /// of several words a list of its words.
    static QJsonArray argumentsOf(const QStringList& params, const QStringList& texts, int fieldType);

    static constexpr int pollMs = 250;
    static constexpr int settleMs = 300; // ticks must rest this long before the rows are rebuilt

signals:
    /// A refresh finished.
    void ready();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Row
    {
        ScriptFunctions::Function function;
        QWidget* box = nullptr;
        std::vector<QLineEdit*> inputs;
        QLabel* result = nullptr;
    };

    void treeCleared() override { scheduleRefresh(); }
    void buildFinished() override { scheduleRefresh(); }
    void checksChanged(int, int) override { scheduleRefresh(); }
    void scheduleRefresh();
    void removeRows();
    void addRow(const ScriptFunctions::Function& function);
    void fill();
    void callRow(Row& row);
    void showPoll(const QHash<QString, XiteTry::Log>& logs);
    void setStatus(const QString& text);

    SceneTree& m_tree;
    XiteTry* m_page = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_run = nullptr;
    QWidget* m_rowsArea = nullptr;
    QVBoxLayout* m_rows = nullptr;
    std::vector<Row> m_rowList;
    QTimer m_settle;
    QTimer m_poll;
    QElapsedTimer m_clock;
    qsizetype m_listeners = 0; // rows of listeners: nothing to poll without them
    int m_generation = 0;      // answers of an earlier refresh are dropped
    bool m_stale = true;
    bool m_ready = false;
    bool m_polling = false;
    qint64 m_readyMs = 0;
};

} // namespace vendrel
