#include "scene/SceneTreeModel.h"
#include "CountingEventPump.h"
#include "RecordingMessageBox.h"
#include "scene/SceneTree.h"
#include "scene/SceneWalker.h"
#include "sim/SimScene.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

TEST(SceneTreeModelTest, ShowsTheTreeAsAnItemModel)
{
    SceneTree tree;
    SceneTreeModel model(tree);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy selected(&model, &SceneTreeModel::itemSelected);

    ModuleOrva orva;
    orva.context = SimScene::parse(uR"(
        Transform T1 { io SFVec3f translation io MFNode children [ Shape { io SFNode geometry Box { } } ] }
        Viewpoint { })");
    test::RecordingMessageBox messages;
    test::CountingEventPump events;
    int rowsDuringWalk = -1;
    events.onYield = [&] {
        rowsDuringWalk = model.rowCount();
    };
    SceneWalker walker(tree, orva, messages, events, [] { return 1; });
    walker.BuildSceneTree();

    EXPECT_EQ(rowsDuringWalk, 0); // a view sees no half-made tree
    ASSERT_EQ(model.rowCount(), 1);
    const QModelIndex file = model.index(0, 0);
    EXPECT_EQ(file.data().toString(), "File");
    ASSERT_EQ(model.rowCount(file), 2);
    const QModelIndex t1 = model.index(0, 0, file);
    EXPECT_EQ(t1.data().toString(), "Transform T1");
    EXPECT_EQ(model.rowCount(t1), 7);
    EXPECT_EQ(model.index(6, 0, t1).data().toString(), "Shape");
    EXPECT_EQ(model.parent(model.index(6, 0, t1)), t1);
    EXPECT_TRUE(model.flags(t1) & Qt::ItemIsUserCheckable);
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.at(0).at(0).value<QModelIndex>(), file);

    // Ticks go both ways, one item at a time.
    const QModelIndex getTranslation = model.index(0, 0, t1);
    EXPECT_EQ(getTranslation.data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_TRUE(model.setData(getTranslation, Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(tree.checked(model.itemOf(getTranslation)));
    EXPECT_FALSE(tree.checked(model.itemOf(t1)));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    tree.setChecked(model.itemOf(t1), true);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(t1.data(Qt::CheckStateRole).toInt(), Qt::Checked);
    {
        SceneTree::ChangeBatch batch(tree);
        for (int i = 1; i <= tree.count(); ++i)
            tree.setChecked(i, true);
    }
    EXPECT_EQ(model.index(0, 0, model.index(6, 0, t1)).data(Qt::CheckStateRole).toInt(), Qt::Checked);

    // Items added outside a build appear one by one; a clear empties the model.
    tree.add(u"Root", u"Extra", u"Extra");
    EXPECT_EQ(model.rowCount(file), 3);
    walker.BuildSceneTree();
    EXPECT_EQ(model.rowCount(file), 2);
    tree.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace
