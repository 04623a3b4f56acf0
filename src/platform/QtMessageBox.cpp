#include "QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace vendrel {

void QtMessageBox::show(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    m_parent.data());
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}

bool QtMessageBox::ask(const QString& question)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), question,
                    QMessageBox::Yes | QMessageBox::No, m_parent.data());
    box.setObjectName(QStringLiteral("questionBox"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace vendrel
