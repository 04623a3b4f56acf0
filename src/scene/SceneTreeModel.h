#pragma once

#include "SceneTreeObserver.h"

#include <QAbstractItemModel>

namespace vendrel {

class SceneTree;

/// The scene tree as an item model for a tree view: the item's text with a tick box on every item, and
/// a second column with the type name of each access item's field. The SceneTree keeps the data; this model
/// only shows it. Items added during a build appear together when the build ends, so a view never sees a
/// half-made tree.
class SceneTreeModel : public QAbstractItemModel, private SceneTreeObserver
{
    Q_OBJECT

public:
    /// The column of the field type names.
    static constexpr int typeColumn = 1;

    explicit SceneTreeModel(SceneTree& tree, QObject* parent = nullptr);
    ~SceneTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    /// The model index of tree item `item` (1-based); invalid when the view does not show it yet.
    QModelIndex indexOfItem(int item) const;
    /// The tree item of a model index; 0 for the invisible root.
    int itemOf(const QModelIndex& index) const;

signals:
    /// The tree highlighted or expanded an item; a view follows these.
    void itemSelected(const QModelIndex& index);
    void itemExpanded(const QModelIndex& index, bool expanded);

private:
    void treeCleared() override;
    void itemAdded(int index) override;
    void buildFinished() override;
    void checksChanged(int first, int last) override;
    void selectionChanged(int index) override;
    void expandedChanged(int index) override;

    int visibleChildren(int item) const;
    QString typeNameOf(int item) const;

    static constexpr int columns = 2;

    SceneTree& m_tree;
    int m_published = 0; // items 1..m_published are known to views
};

} // namespace vendrel
