#include "app/FormLayout.h"

#include <gtest/gtest.h>

using namespace vendrel;

TEST(FormLayout, ResizeGivesTheDocumentedEdgesAndADragMovesTheBoundary)
{
    FormLayout layout;
    const float W = 9000, H = 8000;
    layout.resize(W, H);
    EXPECT_EQ(layout.sivra1, (TwipRect{120, 420, W - 400, H / 2 - 485}));
    EXPECT_EQ(layout.treeView1, (TwipRect{120, H / 2, W - 400, H / 2 - 990}));
    EXPECT_EQ(layout.textFileName, (TwipRect{120, 60, W - 1410, 285}));
    EXPECT_EQ(layout.commandLoad.left + layout.commandLoad.width, W - 100);
    EXPECT_EQ(layout.commandGo, (TwipRect{W / 2 - 2115.0f / 2, H - 950, 2115, 255}));
    EXPECT_EQ(layout.checkAll, (TwipRect{120, H - 950, 615, 255}));

    // A drag moves the boundary within the strip's limits; a resize puts it back.
    const TwipRect browser = layout.sivra1, tree = layout.treeView1;
    layout.mouseDown(browser.bottom()); // the edges are not part of the strip
    layout.mouseDown(tree.top);
    layout.mouseMove(tree.top + 600, H);
    EXPECT_EQ(layout.sivra1, browser);

    layout.mouseDown(browser.bottom() + 30);
    layout.mouseMove(browser.bottom() + 600, H);
    layout.mouseUp();
    layout.mouseMove(browser.bottom(), H); // released: nothing moves
    EXPECT_EQ(layout.sivra1.height, browser.height + 600);
    EXPECT_EQ(layout.treeView1.top - layout.sivra1.bottom(), 65);
    EXPECT_EQ(layout.commandGo.top - layout.treeView1.bottom(), 5);

    layout.mouseDown(layout.sivra1.bottom() + 1);
    layout.mouseMove(-5000, H);
    EXPECT_EQ(layout.sivra1.height, 0);
    layout.mouseMove(1e6f, H);
    EXPECT_EQ(layout.treeView1.height, 0);
    layout.resize(9000, H);
    EXPECT_EQ(layout.sivra1, browser);
    EXPECT_EQ(layout.treeView1, tree);

    layout.resize(1000, 1500); // too small for the controls: nothing goes below zero
    for (const TwipRect& r : {layout.sivra1, layout.treeView1, layout.textFileName})
        EXPECT_TRUE(r.width >= 0 && r.height >= 0);
}
