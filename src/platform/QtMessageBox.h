#pragma once

#include "core/MessageBox.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace vendrel {

/// Application-modal message box with the application's title, wide enough to show that title whole:
/// notes get the information icon, warnings the warning icon and questions the question icon.
class QtMessageBox : public MessageBox
{
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : m_parent(parent) {}
    void show(const QString& text) override;
    bool ask(const QString& question) override;
    void warn(const QString& text) override;

private:
    int run(QMessageBox::Icon icon, const QString& text, const char* name);

    QPointer<QWidget> m_parent;
};

} // namespace vendrel
