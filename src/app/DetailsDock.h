#pragma once

#include <QDockWidget>

class QPlainTextEdit;

namespace vendrel {

class DetailsWatch;
class FieldValues;
class SceneTree;

/// The details area: a dock beside the tree's window that shows what DetailsWatch says about the
/// highlighted item. It watches only while it is shown.
class DetailsDock : public QDockWidget
{
    Q_OBJECT
public:
    /// Width it asks for, in pixels; the window grows by it, so the world view keeps its size.
    static constexpr int initialWidth = 300;

    DetailsDock(const SceneTree& tree, FieldValues* values, QWidget* parent = nullptr);
    ~DetailsDock() override;

    /// The tree's highlighted item changed to `index` (0: none).
    void highlight(int index);
    QString text() const;

private:
    void showText(const QString& text);

    QPlainTextEdit* m_text = nullptr;
    DetailsWatch* m_watch = nullptr;
    int m_highlighted = 0;
    int m_shownItem = 0;
};

} // namespace vendrel
