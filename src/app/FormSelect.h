#pragma once

#include "selection/MatchOptions.h"

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vendrel {

class SceneTree;

/// The "Select" dialog: modeless, without an owner window. Select (or Enter) ticks the items whose text
/// matches and begins with a ticked kind ("Set", "Get", "On"), and remembers the text in
/// `lastSelectText`, which outlives the dialog. It never closes itself; it deletes itself when closed.
class FormSelect : public QDialog
{
    Q_OBJECT

public:
    FormSelect(SceneTree& tree, QString& lastSelectText, QWidget* parent = nullptr);

    /// "Select by name": opens the dialog kept in `current`, or only brings it to the front.
    static FormSelect* showDialog(QPointer<FormSelect>& current, SceneTree& tree, QString& lastSelectText);

    /// The button "Select".
    void CommandSelect_Click();
    MatchOptions options() const;

signals:
    /// A Select ticked the `count` items that match `name` (some may have been ticked before).
    void ticked(int count, const QString& name);

private:
    SceneTree& m_tree;
    QString& m_lastSelectText;
    QLabel* m_label1;
    QLineEdit* m_textSearch;
    QCheckBox* m_checkExactMatch;
    QCheckBox* m_checkIgnoreCase;
    QPushButton* m_commandSelect;
    QCheckBox* m_checkSelectSet;
    QCheckBox* m_checkSelectGet;
    QCheckBox* m_checkSelectOn;
};

} // namespace vendrel
