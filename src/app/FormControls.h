#pragma once

#include <QPointer>
#include <QPushButton>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <initializer_list>

namespace vendrel {

/// Window lengths are laid out in twips (1/1440 inch), 15 to a pixel.
constexpr int twipsPerPixel = 15;

constexpr QRect rectFromTwips(int left, int top, int width, int height)
{
    return QRect(left / twipsPerPixel, top / twipsPerPixel, width / twipsPerPixel, height / twipsPerPixel);
}

constexpr QSize sizeFromTwips(int width, int height)
{
    return QSize(width / twipsPerPixel, height / twipsPerPixel);
}

/// Makes a control of the dialog: its object name is the control's name, its place given in twips.
template <class Control>
Control* makeControl(QWidget* parent, const char* name, const QString& caption, QRect twips)
{
    auto* control = new Control(caption, parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(rectFromTwips(twips.x(), twips.y(), twips.width(), twips.height()));
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
