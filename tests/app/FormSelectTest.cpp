#include "app/FormSelect.h"

#include "DialogTest.h"
#include "scene/SceneTree.h"
#include "TextTree.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vendrel;
using vendrel::test::fillTree;
using vendrel::test::tickedTexts;

namespace {

class FormSelectTest : public test::DialogTest<FormSelect>
{
protected:
    void SetUp() override
    {
        fillTree(tree, {"Transform T1", "Get_T1_translation", "On_T1_translation", "Set_T1_translation",
                        "Get_T10_rotation", "Get_other"});
    }
    FormSelect* open() { return FormSelect::showDialog(form, tree, lastSelectText); }

    SceneTree tree;
    QString lastSelectText;
};

TEST_F(FormSelectTest, HasTheCaptionControlsGeometryAndTabOrderOfTheSelectDialog)
{
    open();
    EXPECT_EQ(form->windowTitle(), "Select");
    EXPECT_EQ(form->size(), QSize(312, 139));
    EXPECT_EQ(form->parentWidget(), nullptr);
    EXPECT_EQ(control<QLabel>("Label1")->geometry(), QRect(8, 16, 57, 13));
    EXPECT_EQ(control<QLabel>("Label1")->text(), "Search for:");
    EXPECT_EQ(form->focusWidget(), control<QLineEdit>("TextSearch"));
    EXPECT_EQ(control<QCheckBox>("CheckExactMatch")->geometry(), QRect(16, 80, 93, 13));
    EXPECT_EQ(control<QCheckBox>("CheckIgnoreCase")->geometry(), QRect(140, 76, 85, 17));
    EXPECT_EQ(control<QPushButton>("CommandSelect")->text(), "Select");
    EXPECT_TRUE(control<QPushButton>("CommandSelect")->isDefault());
    EXPECT_EQ(control<QCheckBox>("CheckSelectSet")->text(), "Set");
    EXPECT_EQ(control<QCheckBox>("CheckSelectSet")->geometry(), QRect(12, 48, 45, 17));
    EXPECT_EQ(control<QCheckBox>("CheckSelectGet")->text(), "Get");
    EXPECT_EQ(control<QCheckBox>("CheckSelectGet")->geometry(), QRect(72, 48, 49, 17));
    EXPECT_EQ(control<QCheckBox>("CheckSelectOn")->text(), "On");
    EXPECT_EQ(control<QCheckBox>("CheckSelectOn")->geometry(), QRect(132, 48, 41, 17));

    EXPECT_EQ(tabOrder(7), QStringList({"TextSearch", "CheckExactMatch", "CheckIgnoreCase", "CommandSelect",
                                        "CheckSelectSet", "CheckSelectGet", "CheckSelectOn"}));
}

TEST_F(FormSelectTest, EnterTicksTheMatchingKindsStaysOpenAndNeverUnticks)
{
    open();
    pressEnter();
    EXPECT_TRUE(tickedTexts(tree).isEmpty()) << "no kind ticked: nothing changes";
    type("T1");
    tick("CheckSelectGet");
    pressEnter(Qt::Key_Enter); // the keypad's Enter too
    EXPECT_EQ(tickedTexts(tree), QStringList({"Get_T1_translation", "Get_T10_rotation"}));
    tick("CheckSelectGet"); // unticking the box unticks no item
    tick("CheckSelectOn");
    pressEnter();
    EXPECT_EQ(tickedTexts(tree),
              QStringList({"Get_T1_translation", "On_T1_translation", "Get_T10_rotation"}));
    flushDeletes();
    EXPECT_FALSE(form.isNull()) << "the Select dialog never closes itself";
    EXPECT_EQ(tree.selectedIndex(), 1) << "selecting never moves the highlight";
}

TEST_F(FormSelectTest, TheLastSelectTextOutlivesTheDialogAndBoxesStartUnticked)
{
    open();
    type("rotation");
    tick("CheckSelectGet");
    pressEnter();
    form->close();
    flushDeletes();
    ASSERT_TRUE(form.isNull());
    EXPECT_EQ(lastSelectText, "rotation");

    open();
    EXPECT_EQ(control<QLineEdit>("TextSearch")->text(), "rotation");
    EXPECT_FALSE(control<QCheckBox>("CheckSelectGet")->isChecked());
}

TEST_F(FormSelectTest, ExactMatchAndIgnoreCaseApply)
{
    open();
    tick("CheckSelectGet");
    tick("CheckSelectSet");
    tick("CheckExactMatch");
    type("T1");
    pressEnter();
    EXPECT_TRUE(tickedTexts(tree).isEmpty()) << "T1 is not a whole text";
    type("get_t1_translation");
    pressEnter();
    EXPECT_TRUE(tickedTexts(tree).isEmpty()) << "case-sensitive without Ignore Case";
    tick("CheckIgnoreCase");
    pressEnter();
    EXPECT_EQ(tickedTexts(tree), QStringList({"Get_T1_translation"}));
}

} // namespace
