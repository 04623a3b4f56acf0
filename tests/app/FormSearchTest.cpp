#include "app/FormSearch.h"

#include "CountingEventPump.h"
#include "DialogTest.h"
#include "scene/SceneTree.h"
#include "TextTree.h"
#include "selection/TreeSearch.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vendrel;
using vendrel::test::fillTree;

namespace {

class FormSearchTest : public test::DialogTest<FormSearch>
{
protected:
    void SetUp() override
    {
        fillTree(tree, {"Transform T1", "Get_T1_translation", "On_T1_translation", "Transform T10",
                        "Get_T10_rotation"});
    }
    FormSearch* open() { return FormSearch::showDialog(form, search); }

    SceneTree tree;
    test::CountingEventPump events;
    TreeSearch search{tree, events};
};

TEST_F(FormSearchTest, HasTheCaptionControlsGeometryAndTabOrderOfTheSearchDialog)
{
    open();
    EXPECT_EQ(form->windowTitle(), "Search");
    EXPECT_EQ(form->size(), QSize(312, 139));
    EXPECT_EQ(form->parentWidget(), nullptr) << "no owner window";
    EXPECT_FALSE(form->isModal());
    EXPECT_EQ(control<QLabel>("Label1")->text(), "Search for:");
    EXPECT_EQ(form->focusWidget(), control<QLineEdit>("TextSearch")) << "the text box has the focus";
    EXPECT_EQ(control<QLineEdit>("TextSearch")->geometry(), QRect(84, 16, 209, 19));
    EXPECT_EQ(control<QCheckBox>("CheckExactMatch")->text(), "Exact Match");
    EXPECT_EQ(control<QCheckBox>("CheckExactMatch")->geometry(), QRect(16, 60, 93, 13));
    EXPECT_EQ(control<QCheckBox>("CheckIgnoreCase")->text(), "Ignore Case");
    EXPECT_EQ(control<QCheckBox>("CheckIgnoreCase")->geometry(), QRect(140, 60, 113, 17));
    auto* findNext = control<QPushButton>("CommandFindNext");
    EXPECT_EQ(findNext->text(), "Find Next");
    EXPECT_EQ(findNext->geometry(), QRect(100, 104, 113, 25));
    EXPECT_TRUE(findNext->isDefault());
    EXPECT_EQ(control<QCheckBox>("CheckKeepOpen")->text(), "Keep Open");
    EXPECT_EQ(control<QCheckBox>("CheckKeepOpen")->geometry(), QRect(16, 80, 113, 17));

    EXPECT_EQ(tabOrder(5), QStringList({"TextSearch", "CheckExactMatch", "CheckIgnoreCase", "CommandFindNext",
                                        "CheckKeepOpen"}));
}

TEST_F(FormSearchTest, EnterFindsOnceAndClosesReopeningShowsTheTextWithBoxesUnticked)
{
    open();
    type("T1");
    control<QCheckBox>("CheckIgnoreCase")->setChecked(true);
    pressEnter();
    EXPECT_EQ(tree.selectedIndex(), 2);
    flushDeletes();
    EXPECT_TRUE(form.isNull()) << "closed after one Find Next";

    search.TreeView1_NodeClick(4); // SearchIndex 4, to see the reset on reopening
    tree.setSelected(1, true);
    open();
    EXPECT_EQ(search.SearchIndex(), 0);
    EXPECT_EQ(control<QLineEdit>("TextSearch")->text(), "T1");
    EXPECT_FALSE(control<QCheckBox>("CheckIgnoreCase")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("CheckKeepOpen")->isChecked());

    type("nothing");
    pressEnter();
    EXPECT_EQ(tree.selectedIndex(), 1);
    flushDeletes();
    EXPECT_TRUE(form.isNull()) << "closed even without a match";
}

TEST_F(FormSearchTest, KeepOpenWalksThroughEveryMatchAndFindByNameKeepsThePosition)
{
    open();
    control<QCheckBox>("CheckKeepOpen")->setChecked(true);
    type("T1");
    std::vector<int> found;
    for (int i = 0; i < 3; ++i) {
        pressEnter();
        found.push_back(tree.selectedIndex());
    }
    EXPECT_EQ(found, (std::vector<int>{2, 3, 4}));
    FormSearch* same = open();
    flushDeletes();
    ASSERT_FALSE(form.isNull());
    EXPECT_EQ(same, form.data());
    EXPECT_EQ(search.SearchIndex(), 4);
    QTest::mouseClick(control<QPushButton>("CommandFindNext"), Qt::LeftButton);
    EXPECT_EQ(tree.selectedIndex(), 5);
    pressEnter();
    EXPECT_EQ(tree.selectedIndex(), 6);
    pressEnter();
    EXPECT_EQ(tree.selectedIndex(), 6) << "no wrap-around";
}

TEST_F(FormSearchTest, F3SearchesWithTheTypedTextAndStaysOpen)
{
    open();
    type("Get_");
    QTest::keyClick(control<QLineEdit>("TextSearch"), Qt::Key_F3);
    EXPECT_EQ(tree.selectedIndex(), 3);
    QTest::keyClick(control<QCheckBox>("CheckExactMatch"), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(tree.selectedIndex(), 6);
    flushDeletes();
    EXPECT_FALSE(form.isNull());
}

TEST_F(FormSearchTest, TheOptionsApplyAndF3InTheTreeRepeatsThem)
{
    open();
    control<QCheckBox>("CheckKeepOpen")->setChecked(true);
    type("t1");
    pressEnter();
    EXPECT_EQ(tree.selectedIndex(), 1) << "t1 does not find T1 without Ignore Case";
    control<QCheckBox>("CheckIgnoreCase")->setChecked(true);
    control<QCheckBox>("CheckExactMatch")->setChecked(true);
    type("transform t10");
    pressEnter();
    EXPECT_EQ(tree.selectedIndex(), 5);
    form->close();
    search.TreeView1_NodeClick(1);
    search.TreeView1_KeyDown(Qt::Key_F3);
    EXPECT_EQ(tree.selectedIndex(), 5) << "F3 repeats the exact, case-folded search";
}

} // namespace
