#include "FormSearch.h"

#include "FontFit.h"
#include "FormControls.h"
#include "selection/TreeSearch.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vendrel {

FormSearch::FormSearch(TreeSearch& search, QWidget* parent) : QDialog(parent), m_search(search)
{
    setObjectName(QStringLiteral("FormSearch"));
    setWindowTitle(QStringLiteral("Search"));

    m_label1 = makeControl<QLabel>(this, "Label1", QStringLiteral("Search for:"), {120, 240, 855, 195});
    m_textSearch =
        makeControl<QLineEdit>(this, "TextSearch", m_search.LastSearchText(), {1260, 240, 3135, 285});
    m_checkExactMatch =
        makeControl<QCheckBox>(this, "CheckExactMatch", QStringLiteral("Exact Match"), {240, 900, 1395, 195});
    m_checkIgnoreCase = makeControl<QCheckBox>(this, "CheckIgnoreCase", QStringLiteral("Ignore Case"),
                                               {2100, 900, 1695, 255});
    m_commandFindNext = makeControl<QPushButton>(this, "CommandFindNext", QStringLiteral("Find Next"),
                                                 {1500, 1560, 1695, 375});
    m_checkKeepOpen =
        makeControl<QCheckBox>(this, "CheckKeepOpen", QStringLiteral("Keep Open"), {240, 1200, 1695, 255});

    explainSearchControls(m_textSearch, m_checkExactMatch, m_checkIgnoreCase);
    m_commandFindNext->setToolTip(QStringLiteral("Highlight the next matching item (F3 in the window)"));
    m_checkKeepOpen->setToolTip(QStringLiteral("Keep this dialog open after a match"));

    fitToFont(this, sizeFromTwips(4680, 2085));
    setDefaultAndTabOrder(m_commandFindNext, {m_textSearch, m_checkExactMatch, m_checkIgnoreCase,
                                              m_commandFindNext, m_checkKeepOpen});

    connect(m_commandFindNext, &QPushButton::clicked, this, &FormSearch::CommandFindNext_Click);
    m_search.resetSearchIndex();
}

FormSearch* FormSearch::showDialog(QPointer<FormSearch>& current, TreeSearch& search)
{
    return showModeless(current, search);
}

MatchOptions FormSearch::options() const
{
    return {m_checkExactMatch->isChecked(), m_checkIgnoreCase->isChecked()};
}

void FormSearch::CommandFindNext_Click()
{
    const bool keepOpen = m_checkKeepOpen->isChecked();
    // Events run inside the search: the dialog may be closed meanwhile.
    const QPointer<FormSearch> self(this);
    m_search.FindNext(m_textSearch->text(), options());
    if (self && !keepOpen)
        close();
}

void FormSearch::keyPressEvent(QKeyEvent* event)
{
    if (TreeSearch::isF3(event->key())) {
        m_search.FindNext(m_textSearch->text(), options());
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace vendrel
