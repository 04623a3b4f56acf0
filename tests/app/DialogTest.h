#pragma once

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

namespace vendrel::test {

/// Drives one of the modeless dialogs as a user would: controls are found by their names.
template <class Form> class DialogTest : public testing::Test
{
protected:
    void TearDown() override
    {
        if (form)
            form->close();
        flushDeletes();
    }
    /// Runs the deletions of closed dialogs now.
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    template <class T> T* control(const char* name)
    {
        return form->template findChild<T*>(QString::fromLatin1(name));
    }
    /// Replaces the text box's text by typing.
    void type(const QString& text)
    {
        auto* edit = control<QLineEdit>("TextSearch");
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void tick(const char* box) { QTest::mouseClick(control<QCheckBox>(box), Qt::LeftButton); }
    void pressEnter(Qt::Key key = Qt::Key_Return) { QTest::keyClick(control<QLineEdit>("TextSearch"), key); }
    /// The names of `count` controls in tab order, from the text box on.
    QStringList tabOrder(int count)
    {
        QStringList order;
        QWidget* at = control<QLineEdit>("TextSearch");
        for (int i = 0; i < count; ++i, at = at->nextInFocusChain())
            order.append(at->objectName());
        return order;
    }

    QPointer<Form> form;
};

} // namespace vendrel::test
