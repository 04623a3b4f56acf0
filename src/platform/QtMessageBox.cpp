#include "QtMessageBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QSpacerItem>
#include <QStyle>

namespace vendrel {

void QtMessageBox::show(const QString& text)
{
    run(QMessageBox::Information, text, "messageBox");
}

void QtMessageBox::warn(const QString& text)
{
    run(QMessageBox::Warning, text, "messageBox");
}

bool QtMessageBox::ask(const QString& question)
{
    return run(QMessageBox::Question, question, "questionBox") == QMessageBox::Yes;
}

/// Shows the box modally and returns the button chosen: Yes or No for a question, else OK.
int QtMessageBox::run(QMessageBox::Icon icon, const QString& text, const char* name)
{
    const bool question = icon == QMessageBox::Question;
    const QString title = QApplication::applicationName();
    QMessageBox box(icon, title, text, question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    m_parent.data());
    box.setObjectName(QString::fromLatin1(name));
    if (question)
        box.setDefaultButton(QMessageBox::No);
    // A short text makes a box narrower than its title bar needs: the window frame would cut the title.
    // The frame's font and buttons are the window manager's; allow for a bolder font and four buttons.
    const int titleBarButtons = 4 * box.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const int titleWidth = box.fontMetrics().horizontalAdvance(title) * 5 / 4 + titleBarButtons;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box.exec();
}

} // namespace vendrel
