#include "TryDock.h"

#include "core/FieldTypes.h"
#include "scene/SceneTree.h"
#include "scriptgen/ScriptGenerator.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QVBoxLayout>

namespace vendrel {

namespace {

using Kind = ScriptFunctions::Function::Kind;

/// A number, true or false, a JSON string, or else the text itself.
QJsonValue scalarOf(const QString& text, bool asString)
{
    if (asString)
        return text;
    const QString trimmed = text.trimmed();
    bool isNumber = false;
    const double number = trimmed.toDouble(&isNumber);
    if (isNumber)
        return number;
    if (trimmed.compare(u"true", Qt::CaseInsensitive) == 0 ||
        trimmed.compare(u"false", Qt::CaseInsensitive) == 0)
        return trimmed.compare(u"true", Qt::CaseInsensitive) == 0;
    if (trimmed.startsWith(u'"')) {
        const QJsonArray quoted = QJsonDocument::fromJson(QByteArray('[' + trimmed.toUtf8() + ']')).array();
        if (quoted.size() == 1 && quoted.at(0).isString())
            return quoted.at(0);
    }
    return text;
}

QJsonValue listOf(const QString& text, bool asStrings)
{
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(u'[')) {
        const QJsonDocument document = QJsonDocument::fromJson(trimmed.toUtf8());
        if (document.isArray())
            return document.array();
    }
    QJsonArray list;
    for (const QString& element : trimmed.split(u',', Qt::SkipEmptyParts)) {
        const QStringList words = element.split(spaces, Qt::SkipEmptyParts);
        if (!asStrings && words.size() > 1) {
            QJsonArray parts;
            for (const QString& word : words)
                parts.append(scalarOf(word, false));
            list.append(parts);
        } else {
            list.append(scalarOf(asStrings ? element.trimmed() : element, asStrings));
        }
    }
    return list;
}

} // namespace

TryDock::TryDock(SceneTree& tree, XiteTry* page, QWidget* parent)
    : QDockWidget(QStringLiteral("Try"), parent), m_tree(tree), m_page(page)
{
    setObjectName(QStringLiteral("Try"));
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    auto* top = new QHBoxLayout;
    m_run = new QPushButton(QStringLiteral("Try"), content);
    m_run->setObjectName(QStringLiteral("TryRun"));
    m_run->setToolTip(QStringLiteral("Load the script of the ticked items into the world shown"));
    m_status = new QLabel(content);
    m_status->setObjectName(QStringLiteral("TryStatus"));
    m_status->setTextFormat(Qt::PlainText);
    top->addWidget(m_run);
    top->addWidget(m_status, 1);
    layout->addLayout(top);
    auto* scroll = new QScrollArea(content);
    scroll->setObjectName(QStringLiteral("TryRows"));
    scroll->setWidgetResizable(true);
    scroll->setMinimumHeight(fontMetrics().height() * 14); // a handful of rows at least
    m_rowsArea = new QWidget(scroll);
    m_rows = new QVBoxLayout(m_rowsArea);
    m_rows->addStretch(1);
    scroll->setWidget(m_rowsArea);
    layout->addWidget(scroll, 1);
    setWidget(content);

    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, &TryDock::refresh);
    m_poll.setInterval(pollMs);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        if (m_polling || !m_ready || m_listeners == 0)
            return;
        m_polling = true;
        m_page->poll(
            [self = QPointer(this), generation = m_generation](const QHash<QString, XiteTry::Log>& logs) {
                if (!self)
                    return;
                self->m_polling = false;
                if (generation == self->m_generation)
                    self->showPoll(logs);
            });
    });
    connect(m_run, &QPushButton::clicked, this, &TryDock::refresh);
    m_tree.addObserver(this);
}

TryDock::~TryDock()
{
    m_tree.removeObserver(this);
}

void TryDock::scheduleRefresh()
{
    m_stale = true;
    if (isVisible())
        m_settle.start();
}

void TryDock::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    if (m_stale)
        refresh();
    m_poll.start();
}

void TryDock::hideEvent(QHideEvent* event)
{
    QDockWidget::hideEvent(event);
    m_poll.stop();
    m_settle.stop();
}

void TryDock::setStatus(const QString& text)
{
    m_status->setText(text.left(XiteTry::maxText));
}

void TryDock::removeRows()
{
    ++m_generation;
    m_ready = false;
    m_polling = false;
    for (Row& row : m_rowList)
        delete row.box;
    m_rowList.clear();
}

void TryDock::clear()
{
    removeRows();
    setStatus({});
    scheduleRefresh();
}

void TryDock::refresh()
{
    m_clock.start();
    m_settle.stop();
    m_stale = false;
    removeRows();
    const std::vector<ScriptFunctions::Function> functions = ScriptFunctions::of(m_tree);
    m_rowList.reserve(functions.size());
    m_rowsArea->setUpdatesEnabled(false);
    QStringList listeners;
    for (const ScriptFunctions::Function& function : functions) {
        addRow(function);
        if (function.kind == Kind::Listener)
            listeners.append(function.name);
    }
    m_listeners = listeners.size();
    m_rowsArea->setUpdatesEnabled(true);
    if (functions.empty()) {
        setStatus(QStringLiteral("Tick Get_, Set_ or On_ items to try their functions"));
        return;
    }
    setStatus(QStringLiteral("Loading %1 functions into the world...").arg(functions.size()));
    m_page->install(ScriptGenerator::GenerateScript(m_tree), listeners,
                    [self = QPointer(this), generation = m_generation](const XiteTry::Answer& answer) {
                        if (!self || generation != self->m_generation)
                            return;
                        if (!answer.ok)
                            self->setStatus(answer.error);
                        self->fill();
                    });
}

void TryDock::addRow(const ScriptFunctions::Function& function)
{
    Row row;
    row.function = function;
    row.box = new QWidget(m_rowsArea);
    row.box->setObjectName(function.name);
    auto* line = new QHBoxLayout(row.box);
    line->setContentsMargins(0, 0, 0, 0);
    auto* name = new QLabel(function.name, row.box);
    name->setTextFormat(Qt::PlainText);
    name->setToolTip(fieldTypeName(function.fieldType));
    line->addWidget(name);
    // A listener's parameters are the world's to give.
    for (const QString& param : function.kind == Kind::Listener ? QStringList() : function.params) {
        auto* input = new QLineEdit(row.box);
        input->setObjectName(param);
        input->setPlaceholderText(param);
        input->setToolTip(param == u"arr" ? QStringLiteral("A JSON list, or elements separated by commas")
                                          : fieldTypeName(function.fieldType));
        input->setMaximumWidth(param == u"arr" || function.fieldType == SFString ? 320 : 80);
        line->addWidget(input);
        row.inputs.push_back(input);
    }
    if (function.kind != Kind::Listener) {
        auto* call = new QPushButton(QStringLiteral("Call"), row.box);
        call->setObjectName(QStringLiteral("Call"));
        call->setToolTip(QStringLiteral("Call it in the world shown"));
        const std::size_t index = m_rowList.size();
        connect(call, &QPushButton::clicked, this, [this, index] { callRow(m_rowList[index]); });
        line->addWidget(call);
    }
    row.result = new QLabel(row.box);
    row.result->setObjectName(QStringLiteral("Result"));
    row.result->setTextFormat(Qt::PlainText); // the page's text is never markup
    row.result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (function.kind == Kind::Listener)
        row.result->setText(QStringLiteral("0 calls"));
    line->addWidget(row.result, 1);
    m_rows->insertWidget(m_rows->count() - 1, row.box);
    m_rowList.push_back(std::move(row));
}

void TryDock::fill()
{
    QList<XiteTry::FieldRef> fields;
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < m_rowList.size(); ++i) {
        const ScriptFunctions::Function& function = m_rowList[i].function;
        if (function.kind == Kind::Setter && !function.nodePath.isEmpty()) {
            fields.append({function.nodePath, function.fieldName});
            rows.push_back(i);
        }
    }
    m_page->read(fields, [self = QPointer(this), generation = m_generation,
                          rows](const QList<XiteTry::Answer>& answers) {
        if (!self || generation != self->m_generation)
            return;
        for (std::size_t k = 0; k < rows.size() && k < std::size_t(answers.size()); ++k) {
            const XiteTry::Answer& value = answers[qsizetype(k)];
            Row& row = self->m_rowList[rows[k]];
            const bool element = !row.inputs.empty() && row.function.params.front() == u"i";
            const QStringList parts = element ? QStringList{QStringLiteral("0")} + value.first : value.fill;
            if (value.ok && std::size_t(parts.size()) >= row.inputs.size()) {
                for (std::size_t i = 0; i < row.inputs.size(); ++i)
                    row.inputs[i]->setText(parts[qsizetype(i)]);
            }
        }
        self->m_ready = true;
        self->m_readyMs = self->m_clock.elapsed();
        if (self->m_status->text().startsWith(u"Loading "))
            self->setStatus(QStringLiteral("%1 functions ready (%2 ms)")
                                .arg(self->m_rowList.size())
                                .arg(self->m_readyMs));
        emit self->ready();
    });
}

void TryDock::callRow(Row& row)
{
    QStringList texts;
    for (const QLineEdit* input : row.inputs)
        texts.append(input->text());
    const QJsonArray args = argumentsOf(row.function.params, texts, row.function.fieldType);
    row.result->setText(QStringLiteral("..."));
    const std::size_t index = std::size_t(&row - m_rowList.data());
    m_page->call(row.function.name, args,
                 [self = QPointer(this), generation = m_generation, index](const XiteTry::Answer& answer) {
                     if (!self || generation != self->m_generation)
                         return;
                     QLabel* result = self->m_rowList[index].result;
                     result->setText(answer.ok ? answer.text : QStringLiteral("Error: ") + answer.error);
                     result->setStyleSheet(answer.ok ? QString() : QStringLiteral("color: #b00020"));
                 });
}

void TryDock::showPoll(const QHash<QString, XiteTry::Log>& logs)
{
    if (logs.isEmpty())
        return;
    for (Row& row : m_rowList) {
        const auto found = logs.constFind(row.function.name);
        if (found == logs.constEnd())
            continue;
        QStringList lines{found->count == 1 ? QStringLiteral("1 call")
                                            : QStringLiteral("%1 calls").arg(found->count)};
        bool failed = false;
        for (auto entry = found->entries.crbegin(); entry != found->entries.crend(); ++entry) {
            QString line =
                QDateTime::fromMSecsSinceEpoch(entry->ms).toString(QStringLiteral("HH:mm:ss.zzz")) +
                QStringLiteral("  ") + entry->text;
            if (!entry->error.isEmpty()) {
                line += QStringLiteral("  Error: ") + entry->error;
                failed = true;
            }
            lines.append(line);
        }
        row.result->setText(lines.join(u'\n'));
        row.result->setStyleSheet(failed ? QStringLiteral("color: #b00020") : QString());
    }
}

QJsonArray TryDock::argumentsOf(const QStringList& params, const QStringList& texts, int fieldType)
{
    const bool strings = fieldType == SFString || fieldType == MFString;
    QJsonArray args;
    for (qsizetype i = 0; i < params.size(); ++i) {
        const QString text = texts.value(i);
        if (params[i] == u"arr")
            args.append(listOf(text, strings));
        else if (params[i] == u"i")
            args.append(text.trimmed().toInt());
        else
            args.append(scalarOf(text, strings));
    }
    return args;
}

} // namespace vendrel
