#include "BatchOptions.h"

#include "platform/XiteBrowser.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <limits>
#include <tuple>

namespace vendrel {

QString BatchOptions::usage()
{
    return QStringLiteral(
        "Usage:\n"
        "  x3d-vendrel-batch tree [--named] [--timeout S] [--max-items N] WORLD\n"
        "  x3d-vendrel-batch script [--named] [--get] [--set] [--on] [--select NAME]... [--selections FILE]\n"
        "                           [-o OUT [--with-host]] [--strict] [--timeout S] [--max-items N] WORLD\n"
        "  x3d-vendrel-batch check [options as for script, without -o] WORLD\n"
        "  x3d-vendrel-batch page [options as for script, without --with-host and --strict] [--cdn] -o DIR "
        "WORLD\n"
        "  x3d-vendrel-batch sweep [--timeout S] [--max-items N] DIR\n"
        "  x3d-vendrel-batch --help | --version\n"
        "Options: --timeout S ends a world whose load, tree and script are not done after S seconds\n"
        "         (default 60);\n"
        "         --max-items N stops the tree at N items (default 5000000);\n"
        "         --allow-network lets a local world's page fetch the http(s) material it names;\n"
        "         --verbose shows the page's console, for tree the load and tree times, and for script\n"
        "         the number of ticked items and the script's size.\n"
        "Script: --get, --set and --on tick every Get_, Set_ or On_ item (\"Select All Get\", ...);\n"
        "        with --select they tick only those kinds among the items whose text contains NAME;\n"
        "        --selections ticks the items a selections file (.x3ds) lists, as \"Load Selections...\";\n"
        "        --named leaves \"All\" unticked. The script goes to OUT, or to standard output;\n"
        "        --with-host also writes vendrel-host.js, the library a page needs to run it, beside OUT.\n"
        "Check: script and check look the script over for faults no page can repair and print each\n"
        "       to standard error as \"warning: KIND: ITEM: detail\"; check writes no script, it prints\n"
        "       the numbers of functions and warnings. --strict fails a run with warnings (status 4).\n"
        "Page: writes a test page for the script into the folder DIR (made when missing): the script,\n"
        "      vendrel-host.js, X_ITE (with --cdn its address on cdn.jsdelivr.net instead), the world\n"
        "      with the local files it read, and index.html with a row to try each function.\n"
        "Exit status: 0 done, 2 bad usage or a file that cannot be read or written,\n"
        "             3 the world could not be loaded, or its tree or script not made in time,\n"
        "             4 warnings with --strict.\n"
        "Without a display, a virtual one (Xvfb) is started for the run. A name after \"--\" is taken\n"
        "as the world or folder even when it starts with \"-\". -h or --help after a command also\n"
        "prints this text; --version prints the tool's version and that of X_ITE.\n");
}

QString BatchOptions::version()
{
    return QStringLiteral("x3d-vendrel-batch " VENDREL_VERSION "\nX_ITE ") + XiteBrowser::xiteVersion() +
           QStringLiteral("\n");
}

namespace {

/// The commands an option belongs to, as bits.
enum Scope : unsigned
{
    InTree = 1,
    InScript = 2,
    InCheck = 4,
    InSweep = 8,
    InPage = 16,
    InAll = InTree | InScript | InCheck | InSweep | InPage,
};

/// One option of the command line: its names, the commands that take it and, for an option that takes a
/// value, the message when the value is missing.
struct OptionRow
{
    QStringList names;
    unsigned scope;
    const char* needs = nullptr;
};

// help and version first: they end the parse before anything else is judged.
const OptionRow optionRows[] = {
    {{"h", "help"}, InAll},
    {{"version"}, InAll},
    {{"named"}, InTree | InScript | InCheck | InPage},
    {{"get"}, InScript | InCheck | InPage},
    {{"set"}, InScript | InCheck | InPage},
    {{"on"}, InScript | InCheck | InPage},
    {{"select"}, InScript | InCheck | InPage, "--select needs a name"},
    {{"selections"}, InScript | InCheck | InPage, "--selections needs a file"},
    {{"o"}, InScript, "-o needs a file"}, // check writes no script
    {{"o"}, InPage, "-o needs a folder"},
    {{"cdn"}, InPage},
    {{"with-host"}, InScript | InCheck},
    {{"strict"}, InScript | InCheck},
    {{"timeout"}, InAll, "--timeout needs a number of seconds (1 to 86400)"},
    {{"max-items"}, InAll, "--max-items needs a number of items (1 to 2147483647)"},
    {{"allow-network"}, InAll},
    {{"verbose"}, InAll},
};

/// The row of option `name` for the commands in `scope` (an option may need other words in another).
const OptionRow* rowNamed(const QString& name, unsigned scope = InAll)
{
    for (const OptionRow& row : optionRows) {
        if (row.names.contains(name) && (row.scope & scope))
            return &row;
    }
    return nullptr;
}

/// The option name in an argument such as "--timeout=5" or "-o".
QString optionName(const QString& argument)
{
    return argument.mid(argument.startsWith(u"--") ? 2 : 1).section(u'=', 0, 0);
}

/// Why the parser refused the arguments, in the tool's own words: the argument as typed when the option
/// is unknown to the command or takes no value, else what the option needs.
QString refusal(const QCommandLineParser& parser, const QStringList& arguments, unsigned scope)
{
    const QString unknown = parser.unknownOptionNames().value(0);
    for (const QString& argument : arguments.mid(1)) {
        if (argument == u"--")
            break;
        if (!argument.startsWith(u'-') || argument.size() == 1)
            continue;
        const QString name = optionName(argument);
        const OptionRow* row = rowNamed(name, scope);
        const bool valueForAFlag =
            unknown.isEmpty() && argument.contains(u'=') && row && !row->needs && (row->scope & scope);
        if (name == unknown || valueForAFlag)
            return QStringLiteral("Unknown option for ") + arguments.first() + QStringLiteral(": ") +
                   argument;
    }
    // The parser takes any next argument as the value, so a value is missing only at the end.
    if (const OptionRow* row = rowNamed(optionName(arguments.last()), scope); row && row->needs)
        return QString::fromUtf8(row->needs);
    return parser.errorText();
}

/// The number in `text` when it is a whole number from 1 to `most`.
std::optional<int> count(const QString& text, int most)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 1 || value > most)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<BatchOptions> BatchOptions::parse(const QStringList& arguments, QString* error)
{
    BatchOptions options;
    auto bad = [error](const QString& why) -> std::optional<BatchOptions> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (arguments.isEmpty())
        return bad(QStringLiteral("No command given"));
    const QString command = arguments.first();
    unsigned scope = 0;
    if (command == u"tree") {
        options.command = Command::Tree;
        scope = InTree;
    } else if (command == u"script") {
        options.command = Command::Script;
        scope = InScript;
    } else if (command == u"check") {
        options.command = Command::Check;
        scope = InCheck;
    } else if (command == u"page") {
        options.command = Command::Page;
        scope = InPage;
    } else if (command == u"sweep") {
        options.command = Command::Sweep;
        scope = InSweep;
    } else if (command == u"--help" || command == u"-h" || command == u"help") {
        return options;
    } else if (command == u"--version") {
        options.command = Command::Version;
        return options;
    } else {
        return bad(QStringLiteral("Unknown command: ") + command);
    }

    // Each command knows only its own options, so the parser refuses the others. It takes the command
    // where it expects the program's name.
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionRow& row : optionRows) {
        if (row.scope & scope)
            parser.addOption(
                QCommandLineOption(row.names, {}, row.needs ? QStringLiteral("value") : QString()));
    }
    const bool parsed = parser.parse(arguments);
    // Asking the parser about an option it was not given would warn on stderr.
    const auto isSet = [&](const char* name) {
        return rowNamed(QString::fromLatin1(name), scope) && parser.isSet(QString::fromLatin1(name));
    };
    const auto value = [&](const char* name) {
        return isSet(name) ? parser.value(QString::fromLatin1(name)) : QString();
    };
    // What an option given without a usable value needs.
    const auto lacking = [&](const char* name) {
        return bad(QString::fromUtf8(rowNamed(QString::fromLatin1(name), scope)->needs));
    };
    if (isSet("help")) {
        options.command = Command::Help;
        return options;
    }
    if (isSet("version")) {
        options.command = Command::Version;
        return options;
    }
    if (!parsed)
        return bad(refusal(parser, arguments, scope));

    const bool sweep = options.command == Command::Sweep;
    const QStringList targets = parser.positionalArguments();
    if (targets.size() > 1)
        return bad(QStringLiteral("Only one ") +
                   (sweep ? QStringLiteral("folder") : QStringLiteral("world")) +
                   QStringLiteral(" may be given"));
    options.target = targets.value(0);
    options.named = isSet("named");
    options.get = isSet("get");
    options.set = isSet("set");
    options.on = isSet("on");
    options.allowNetwork = isSet("allow-network");
    options.verbose = isSet("verbose");
    options.strict = isSet("strict");
    options.withHost = isSet("with-host");
    options.cdn = isSet("cdn");
    if (isSet("select"))
        options.selectNames = parser.values(QStringLiteral("select"));
    options.selectionsFile = value("selections");
    if (isSet("selections") && options.selectionsFile.isEmpty())
        return lacking("selections");
    options.output = value("o");
    if (isSet("o") && options.output.isEmpty())
        return lacking("o");
    for (const auto& [name, into, most] :
         {std::tuple("timeout", &options.timeoutSeconds, 86400),
          std::tuple("max-items", &options.maxItems, std::numeric_limits<int>::max())}) {
        if (!isSet(name))
            continue;
        const std::optional<int> number = count(value(name), most);
        if (!number)
            return lacking(name);
        *into = *number;
    }
    if (options.withHost && options.output.isEmpty())
        return bad(QStringLiteral("--with-host needs -o"));
    if (options.command == Command::Page && options.output.isEmpty())
        return bad(QStringLiteral("page needs -o DIR"));
    if (options.target.isEmpty())
        return bad(sweep ? QStringLiteral("No folder given") : QStringLiteral("No world given"));
    return options;
}

} // namespace vendrel
