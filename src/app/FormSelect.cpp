#include "FormSelect.h"

#include "FontFit.h"
#include "FormControls.h"
#include "selection/SelectionCommands.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vendrel {

FormSelect::FormSelect(SceneTree& tree, QString& lastSelectText, QWidget* parent)
    : QDialog(parent), m_tree(tree), m_lastSelectText(lastSelectText)
{
    setObjectName(QStringLiteral("FormSelect"));
    setWindowTitle(QStringLiteral("Select"));

    m_label1 = makeControl<QLabel>(this, "Label1", QStringLiteral("Search for:"), {120, 240, 855, 195});
    m_textSearch = makeControl<QLineEdit>(this, "TextSearch", m_lastSelectText, {1260, 240, 3135, 285});
    m_checkExactMatch = makeControl<QCheckBox>(this, "CheckExactMatch", QStringLiteral("Exact Match"),
                                               {240, 1200, 1395, 195});
    m_checkIgnoreCase = makeControl<QCheckBox>(this, "CheckIgnoreCase", QStringLiteral("Ignore Case"),
                                               {2100, 1140, 1275, 255});
    m_commandSelect =
        makeControl<QPushButton>(this, "CommandSelect", QStringLiteral("Select"), {1500, 1560, 1695, 375});
    m_checkSelectSet =
        makeControl<QCheckBox>(this, "CheckSelectSet", QStringLiteral("Set"), {180, 720, 675, 255});
    m_checkSelectGet =
        makeControl<QCheckBox>(this, "CheckSelectGet", QStringLiteral("Get"), {1080, 720, 735, 255});
    m_checkSelectOn =
        makeControl<QCheckBox>(this, "CheckSelectOn", QStringLiteral("On"), {1980, 720, 615, 255});

    explainSearchControls(m_textSearch, m_checkExactMatch, m_checkIgnoreCase);
    m_commandSelect->setToolTip(QStringLiteral("Tick the matching items of the kinds chosen below"));
    m_checkSelectSet->setToolTip(QStringLiteral("Tick matching Set_ items"));
    m_checkSelectGet->setToolTip(QStringLiteral("Tick matching Get_ items"));
    m_checkSelectOn->setToolTip(QStringLiteral("Tick matching On_ items"));

    fitToFont(this, sizeFromTwips(4680, 2085));
    setDefaultAndTabOrder(m_commandSelect,
                          {m_textSearch, m_checkExactMatch, m_checkIgnoreCase, m_commandSelect,
                           m_checkSelectSet, m_checkSelectGet, m_checkSelectOn});

    connect(m_commandSelect, &QPushButton::clicked, this, &FormSelect::CommandSelect_Click);
}

FormSelect* FormSelect::showDialog(QPointer<FormSelect>& current, SceneTree& tree, QString& lastSelectText)
{
    return showModeless(current, tree, lastSelectText);
}

MatchOptions FormSelect::options() const
{
    return {m_checkExactMatch->isChecked(), m_checkIgnoreCase->isChecked()};
}

void FormSelect::CommandSelect_Click()
{
    m_lastSelectText = m_textSearch->text();
    const int count =
        SelectEm(m_tree, m_lastSelectText, m_checkSelectSet->isChecked() ? 1 : 0,
                 m_checkSelectGet->isChecked() ? 1 : 0, m_checkSelectOn->isChecked() ? 1 : 0, options());
    emit ticked(count, m_lastSelectText);
}

} // namespace vendrel
