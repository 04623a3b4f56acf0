#pragma once

#include "selection/MatchOptions.h"

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vendrel {

class TreeSearch;

/// The "Search" dialog: modeless, without an owner window. Find Next (or Enter) highlights the next
/// matching item and closes the dialog unless "Keep Open" is ticked; F3 searches again and keeps it
/// open. Each opening starts with the last search text, all boxes unticked and the search position
/// reset. The dialog deletes itself when closed.
class FormSearch : public QDialog
{
    Q_OBJECT

public:
    explicit FormSearch(TreeSearch& search, QWidget* parent = nullptr);

    /// "Find by name": opens the dialog kept in `current`, or only brings it to the front when it is
    /// open already (nothing is reset then). Returns the dialog.
    static FormSearch* showDialog(QPointer<FormSearch>& current, TreeSearch& search);

    /// The button "Find Next".
    void CommandFindNext_Click();
    MatchOptions options() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    TreeSearch& m_search;
    QLabel* m_label1;
    QLineEdit* m_textSearch;
    QCheckBox* m_checkExactMatch;
    QCheckBox* m_checkIgnoreCase;
    QPushButton* m_commandFindNext;
    QCheckBox* m_checkKeepOpen;
};

} // namespace vendrel
