#pragma once

#include "FormLayout.h"

#include <QPointer>
#include <QPushButton>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <cmath>
#include <initializer_list>

namespace vendrel {

/// Window lengths are laid out in twips (1/1440 inch), 15 to a pixel.
constexpr int twipsPerPixel = 15;

/// The nearest whole pixel: the layout's formulas give lengths between pixels (halves of the window).
inline int toPixels(float twips)
{
    return int(std::lround(twips / float(twipsPerPixel)));
}

inline QRect toPixels(const TwipRect& twips)
{
    return QRect(toPixels(twips.left), toPixels(twips.top), toPixels(twips.width), toPixels(twips.height));
}

inline QSize sizeFromTwips(float width, float height)
{
    return QSize(toPixels(width), toPixels(height));
}

inline float toTwips(double pixels)
{
    return float(pixels) * float(twipsPerPixel);
}

/// Makes a control of the dialog: its object name is the control's name, its place given in twips.
template <class Control>
Control* makeControl(QWidget* parent, const char* name, const QString& caption, const TwipRect& twips)
{
    auto* control = new Control(caption, parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(toPixels(twips));
    return control;
}

/// Enter presses `defaultButton`; the controls follow one another in `tabOrder`, and the first has the
/// focus when the dialog opens.
inline void setDefaultAndTabOrder(QPushButton* defaultButton, std::initializer_list<QWidget*> tabOrder)
{
    defaultButton->setDefault(true);
    defaultButton->setAutoDefault(false);
    QWidget* previous = nullptr;
    for (QWidget* control : tabOrder) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
    if (tabOrder.size() > 0)
        (*tabOrder.begin())->setFocus();
}

/// The tool tips of the search text and its two options, which both search dialogs have.
inline void explainSearchControls(QWidget* text, QWidget* exactMatch, QWidget* ignoreCase)
{
    text->setToolTip(QStringLiteral("The text to look for in the items' texts"));
    exactMatch->setToolTip(QStringLiteral("Only items whose whole text is the search text"));
    ignoreCase->setToolTip(QStringLiteral("Capital and small letters match each other"));
}

/// Shows the modeless dialog kept in `current`, making it first when it is not open (it deletes itself
/// on close, which empties `current`); an open one is only brought to the front.
template <class Dialog, class... Args> Dialog* showModeless(QPointer<Dialog>& current, Args&... args)
{
    if (!current) {
        current = new Dialog(args...);
        current->setAttribute(Qt::WA_DeleteOnClose);
    }
    current->show();
    current->raise();
    current->activateWindow();
    return current;
}

} // namespace vendrel
