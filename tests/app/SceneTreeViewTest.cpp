#include "app/SceneTreeView.h"

#include "scene/SceneTree.h"
#include "scene/SceneTreeModel.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace vendrel;

namespace {

/// The texts of the rows the view shows, top to bottom.
std::string shownTexts(const QTreeView& view)
{
    QStringList texts;
    for (QModelIndex at = view.model()->index(0, 0); at.isValid(); at = view.indexBelow(at))
        texts.append(at.data().toString());
    return texts.join(u", ").toStdString();
}

// "*" opens everything below the current item, and only that; what it opened closes and opens again.
TEST(SceneTreeViewTest, StarExpandsEverythingBelowTheCurrentItem)
{
    SceneTree tree;
    tree.add({}, u"Root", u"File");
    tree.add(u"Root", u"A", u"Transform A");
    tree.add(u"A", u"Get_A", u"Get_A_t");
    tree.add(u"A", u"B", u"Group B");
    tree.add(u"B", u"C", u"Shape C");
    tree.add(u"C", u"Get_C", u"Get_C_x");
    tree.add(u"A", u"Set_A", u"Set_A_t");
    tree.add(u"Root", u"D", u"Transform D");
    tree.add(u"D", u"Get_D", u"Get_D_t");
    SceneTreeModel model(tree);
    const QStringList everything = {"File",    "Transform A", "Get_A_t",     "Group B", "Shape C",
                                    "Get_C_x", "Set_A_t",     "Transform D", "Get_D_t"};
    const struct
    {
        int current; // tree item; File and Transform A are open before
        QStringList shown;
    } rows[] = {
        {1, everything},
        {4, {"File", "Transform A", "Get_A_t", "Group B", "Shape C", "Get_C_x", "Set_A_t", "Transform D"}},
        {3, {"File", "Transform A", "Get_A_t", "Group B", "Set_A_t", "Transform D"}},
    };
    for (const auto& row : rows) {
        SceneTreeView view;
        view.setModel(&model);
        view.resize(300, 400);
        view.show();
        view.expand(model.indexOfItem(1));
        view.expand(model.indexOfItem(2));
        view.setCurrentIndex(model.indexOfItem(row.current));
        QTest::keyClick(&view, Qt::Key_Asterisk);
        const std::string shown = row.shown.join(u", ").toStdString();
        EXPECT_EQ(shownTexts(view), shown) << tree.text(row.current).toStdString();
        view.collapse(model.indexOfItem(1));
        EXPECT_EQ(shownTexts(view), "File");
        view.expand(model.indexOfItem(1));
        EXPECT_EQ(shownTexts(view), shown);
    }
}

} // namespace
