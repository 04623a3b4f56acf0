#pragma once

#include "core/MessageBox.h"

#include <QPointer>
#include <QWidget>

namespace vendrel {

/// Application-modal message box with an OK button only and the application's title.
class QtMessageBox : public MessageBox
{
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : m_parent(parent) {}
    void show(const QString& text) override;
    bool ask(const QString& question) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace vendrel
