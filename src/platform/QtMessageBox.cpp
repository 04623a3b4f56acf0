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

} // namespace vendrel
