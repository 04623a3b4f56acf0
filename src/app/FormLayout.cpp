#include "FormLayout.h"

#include <algorithm>

namespace vendrel {

namespace {
float atLeastZero(float value)
{
    return std::max(value, 0.0f);
}
} // namespace

void FormLayout::resize(float W, float H)
{
    sivra1.width = atLeastZero(W - 400);
    sivra1.height = atLeastZero(H / 2 - textFileName.height - 200);
    textFileName.width = atLeastZero(W - commandBrowse.width - commandLoad.width - 300);
    commandBrowse.left = textFileName.left + textFileName.width + 50;
    commandLoad.left = commandBrowse.left + commandBrowse.width + 30;
    treeView1.top = sivra1.height + textFileName.height + 200;
    treeView1.width = sivra1.width;
    treeView1.height = atLeastZero(sivra1.height - commandGo.height - 250);
    commandGo.top = treeView1.top + treeView1.height + 40;
    checkAll.top = commandGo.top;
    commandGo.left = std::max(W / 2 - commandGo.width / 2, checkAll.left + checkAll.width + 120);
}

void FormLayout::mouseDown(float y)
{
    if (!inStrip(y))
        return;
    m_dragging = true;
    m_gap = treeView1.top - sivra1.bottom();
}

void FormLayout::mouseMove(float y, float H)
{
    if (m_dragging)
        moveBoundary(y, H);
}

void FormLayout::placeBoundary(float viewHeight, float H)
{
    m_gap = treeView1.top - sivra1.bottom();
    moveBoundary(sivra1.top + viewHeight, H);
}

void FormLayout::moveBoundary(float y, float H)
{
    // The tree's lower edge stays put; the boundary may travel from the browser view's top down to
    // where the tree has no height left.
    const float treeBottom = H - commandGo.height - 700;
    const float lowest = treeBottom - m_gap - sivra1.top;
    sivra1.height = std::clamp(y - sivra1.top, 0.0f, atLeastZero(lowest));
    treeView1.top = sivra1.top + sivra1.height + m_gap;
    treeView1.height = atLeastZero(H - treeView1.top - commandGo.height - 700);
}

} // namespace vendrel
