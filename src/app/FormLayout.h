#pragma once

namespace vendrel {

/// A control's place on the main window, in twips.
struct TwipRect
{
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    float bottom() const { return top + height; }
    bool operator==(const TwipRect&) const = default;
};

/// The main window's layout and the splitter strip between browser view and tree, in twips and free of
/// widgets. `resize` lays everything out for a window of W x H and puts the split back in the middle
/// ("Create SAI JavaScript" is centred, but never over "All");
/// a press in the strip, moves and a release drag the boundary. No width or height goes below zero: a
/// window too small for the controls holds them at zero, and a drag stops where the browser view or the
/// tree would vanish.
class FormLayout
{
public:
    TwipRect textFileName{120, 60, 3195, 285};
    TwipRect commandBrowse{3420, 60, 555, 255};
    TwipRect commandLoad{4020, 60, 555, 255};
    TwipRect sivra1{120, 420, 3795, 2415};
    TwipRect treeView1{120, 2940, 3795, 2535};
    TwipRect checkAll{120, 5580, 615, 255};
    TwipRect commandGo{1020, 5580, 2115, 255};

    void resize(float W, float H);
    /// Starts a drag when `y` lies strictly inside the strip between browser view and tree.
    void mouseDown(float y);
    /// Moves the boundary to `y` while a drag is on; `H` is the window's current height.
    void mouseMove(float y, float H);
    void mouseUp() { m_dragging = false; }
    /// Puts the boundary where the browser view is `viewHeight` high, within the limits of a drag, in a
    /// window `H` high: a boundary kept from an earlier run comes back.
    void placeBoundary(float viewHeight, float H);

    bool dragging() const { return m_dragging; }
    float gap() const { return m_gap; }
    /// True when `y` lies strictly between the browser view's lower edge and the tree's top.
    bool inStrip(float y) const { return y > sivra1.bottom() && y < treeView1.top; }

private:
    void moveBoundary(float y, float H);

    bool m_dragging = false;
    float m_gap = 0;
};

} // namespace vendrel
