#include "SceneTreeModel.h"

#include "SceneTree.h"
#include "core/FieldTypes.h"

#include <algorithm>
#include <vector>

namespace vendrel {

SceneTreeModel::SceneTreeModel(SceneTree& tree, QObject* parent)
    : QAbstractItemModel(parent), m_tree(tree), m_published(tree.count())
{
    m_tree.addObserver(this);
}

SceneTreeModel::~SceneTreeModel()
{
    m_tree.removeObserver(this);
}

int SceneTreeModel::visibleChildren(int item) const
{
    // Children are in creation order, so the published ones come first.
    const int total = m_tree.childCount(item);
    if (total == 0 || m_tree.child(item, total - 1) <= m_published)
        return total;
    int low = 0;
    int high = total - 1; // child(high) is not published
    while (low < high) {
        const int mid = (low + high) / 2;
        if (m_tree.child(item, mid) <= m_published)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

QModelIndex SceneTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column < 0 || column >= columns || row < 0 || parent.column() > 0)
        return {};
    const int parentItem = itemOf(parent);
    if (parentItem > m_published || row >= visibleChildren(parentItem))
        return {};
    return createIndex(row, column, quintptr(m_tree.child(parentItem, row)));
}

QModelIndex SceneTreeModel::parent(const QModelIndex& child) const
{
    const int item = itemOf(child);
    if (item == 0)
        return {};
    const int parentItem = m_tree.parent(item);
    if (parentItem == 0)
        return {};
    return createIndex(m_tree.row(parentItem), 0, quintptr(parentItem));
}

int SceneTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const int item = itemOf(parent);
    return item > m_published ? 0 : visibleChildren(item);
}

int SceneTreeModel::columnCount(const QModelIndex&) const
{
    return columns;
}

QVariant SceneTreeModel::data(const QModelIndex& index, int role) const
{
    const int item = itemOf(index);
    if (item == 0 || item > m_published)
        return {};
    if (index.column() == typeColumn)
        return role == Qt::DisplayRole ? typeNameOf(item) : QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return m_tree.text(item);
    case Qt::CheckStateRole:
        return m_tree.checked(item) ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool SceneTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const int item = itemOf(index);
    if (role != Qt::CheckStateRole || item == 0 || item > m_published || index.column() != 0)
        return false;
    // A tick changes that one item only: nothing follows its parent or children.
    m_tree.setChecked(item, value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags SceneTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Saying which items have no children spares a view the state it would keep for each of them: on a
    // tree of a million items, most of them fields, expanding everything is then several times quicker.
    // An item that gets children later says so from then on.
    const Qt::ItemFlags leaf =
        m_tree.childCount(itemOf(index)) == 0 ? Qt::ItemNeverHasChildren : Qt::NoItemFlags;
    if (index.column() == typeColumn)
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | leaf;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | leaf;
}

QString SceneTreeModel::typeNameOf(int item) const
{
    // Access items hold their field; its type comes from the scene description the walk read.
    try {
        if (const FieldRef field = m_tree.tagField(item))
            return fieldTypeName(field->getType());
    } catch (const Failure&) {
        // a type that cannot be read shows as none
    }
    return {};
}

QModelIndex SceneTreeModel::indexOfItem(int item) const
{
    if (item < 1 || item > m_published)
        return {};
    return createIndex(m_tree.row(item), 0, quintptr(item));
}

int SceneTreeModel::itemOf(const QModelIndex& index) const
{
    return index.isValid() ? int(index.internalId()) : 0;
}

void SceneTreeModel::treeCleared()
{
    beginResetModel();
    m_published = 0;
    endResetModel();
}

void SceneTreeModel::itemAdded(int index)
{
    if (index != m_published + 1) {
        buildFinished(); // something was added unannounced: show everything afresh
        return;
    }
    const int parentItem = m_tree.parent(index);
    const int row = m_tree.row(index);
    beginInsertRows(indexOfItem(parentItem), row, row);
    m_published = index;
    endInsertRows();
}

void SceneTreeModel::buildFinished()
{
    beginResetModel();
    m_published = m_tree.count();
    endResetModel();
    if (const int selected = m_tree.selectedIndex())
        emit itemSelected(indexOfItem(selected));
    for (int item = 1; item <= m_published; ++item) {
        if (m_tree.expanded(item))
            emit itemExpanded(indexOfItem(item), true);
    }
}

void SceneTreeModel::checksChanged(int first, int last)
{
    last = std::min(last, m_published);
    // Items are numbered in pre-order, so the items of [first, last] under one parent are consecutive
    // rows of it: one signal per such run, whose parent is either the item just before it or an
    // ancestor whose run is still open.
    struct Run
    {
        int parent;
        int first;
        int last;
    };
    std::vector<Run> open;
    const auto close = [this, &open] {
        emit dataChanged(indexOfItem(open.back().first), indexOfItem(open.back().last), {Qt::CheckStateRole});
        open.pop_back();
    };
    for (int item = first; item <= last; ++item) {
        const int parentItem = m_tree.parent(item);
        if (parentItem != item - 1) {
            while (!open.empty() && open.back().parent != parentItem)
                close();
        }
        if (!open.empty() && open.back().parent == parentItem)
            open.back().last = item;
        else
            open.push_back({parentItem, item, item});
    }
    while (!open.empty())
        close();
}

void SceneTreeModel::selectionChanged(int index)
{
    if (index <= m_published)
        emit itemSelected(indexOfItem(index));
}

void SceneTreeModel::expandedChanged(int index)
{
    if (index <= m_published)
        emit itemExpanded(indexOfItem(index), m_tree.expanded(index));
}

} // namespace vendrel
