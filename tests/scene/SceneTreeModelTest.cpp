#include "scene/SceneTreeModel.h"
#include "WalkedWorld.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

TEST(SceneTreeModelTest, ShowsTheTreeAsAnItemModel)
{
    test::WalkedWorld world;
    SceneTree& tree = world.tree;
    SceneTreeModel model(tree);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy selected(&model, &SceneTreeModel::itemSelected);
    int rowsDuringWalk = -1;
    world.events.onYield = [&] {
        rowsDuringWalk = model.rowCount();
    };
    world.walk("Transform T1 { io SFVec3f t  io MFNode children [ Shape { io SFNode g Box { } } ] } V { }",
               1);
    EXPECT_EQ(rowsDuringWalk, 0); // a view sees no half-made tree
    ASSERT_EQ(model.rowCount(), 1);
    const QModelIndex file = model.index(0, 0);
    EXPECT_EQ(file.data().toString(), "File");
    ASSERT_EQ(model.rowCount(file), 2);
    const QModelIndex t1 = model.index(0, 0, file);
    const QModelIndex shape = model.index(6, 0, t1);
    EXPECT_EQ(QStringList({t1.data().toString(), shape.data().toString()}),
              QStringList({"Transform T1", "Shape"}));
    EXPECT_EQ(model.rowCount(t1), 7);
    EXPECT_TRUE(model.flags(t1) & Qt::ItemIsUserCheckable);
    // Only items without children say they never have any: a view expands no leaves then.
    for (const QModelIndex& item : {file, t1, shape, model.index(0, 0, t1), model.index(0, 1, t1)})
        EXPECT_EQ(bool(model.flags(item) & Qt::ItemNeverHasChildren),
                  !model.hasChildren(item.siblingAtColumn(0)))
            << item.data().toString().toStdString();
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.at(0).at(0).value<QModelIndex>(), file);

    EXPECT_TRUE(model.setData(model.index(0, 0, t1), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(tree.checked(world.indexOfText(u"Get_T1_t")));
    EXPECT_FALSE(tree.checked(model.itemOf(t1)));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    tree.setChecked(model.itemOf(t1), true);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.takeFirst().at(0).value<QModelIndex>(), t1);
    EXPECT_EQ(t1.data(Qt::CheckStateRole).toInt(), Qt::Checked);

    // Ticks changed all over the tree at once: every one is announced.
    {
        SceneTree::ChangeBatch batch(tree);
        for (int i = 3; i <= tree.count(); ++i)
            tree.setChecked(i, tree.text(i).startsWith(u"Set_"));
    }
    for (const QModelIndex& item : {model.index(0, 0, t1), model.index(2, 0, t1), model.index(1, 0, shape)}) {
        EXPECT_TRUE(std::any_of(changed.begin(), changed.end(), [&](const QList<QVariant>& signal) {
            const auto top = signal.at(0).value<QModelIndex>();
            return top.parent() == item.parent() && top.row() <= item.row() &&
                   item.row() <= signal.at(1).value<QModelIndex>().row();
        })) << item.data().toString().toStdString();
    }

    // Items added outside a build appear one by one; a clear empties the model.
    tree.add(u"Root", u"Extra", u"Extra");
    EXPECT_EQ(model.rowCount(file), 3);
    tree.add(u"Extra", u"Below", u"Below");
    EXPECT_FALSE(model.flags(model.index(2, 0, file)) & Qt::ItemNeverHasChildren);
    world.walker.BuildSceneTree();
    EXPECT_EQ(model.rowCount(file), 2);
    tree.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace
