#pragma once

#include <QSize>

class QWidget;

namespace vendrel {

/// The size `control` needs to show its caption whole in its font: its size hint, except that a push
/// button is not held to the style's minimum button width (a "..." button stays narrow).
QSize neededSize(const QWidget* control);

/// Makes room in a dialog laid out in twips for captions in a larger font: every direct child is given
/// at least its needed size, and a control right of or below one that grew moves along by as much, so
/// the gaps of the twips layout stay. The dialog gets a fixed size of at least `minimum`, grown by what
/// its controls grew beyond their place. At the sizes of the twips layout nothing moves.
void fitToFont(QWidget* dialog, QSize minimum);

} // namespace vendrel
