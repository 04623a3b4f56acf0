#include "BatchOptions.h"

#include <limits>

namespace vendrel {

QString BatchOptions::usage()
{
    return QStringLiteral(
        "Usage:\n"
        "  x3d-vendrel-batch tree [--named] [--timeout S] [--max-items N] WORLD\n"
        "  x3d-vendrel-batch script [--named] [--get] [--set] [--on] [--select NAME]... [--selections FILE]\n"
        "                           [-o OUT [--with-host]] [--strict] [--timeout S] [--max-items N] WORLD\n"
        "  x3d-vendrel-batch check [options as for script, without -o] WORLD\n"
        "  x3d-vendrel-batch sweep [--timeout S] [--max-items N] DIR\n"
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
        "Exit status: 0 done, 2 bad usage or a file that cannot be read or written,\n"
        "             3 the world could not be loaded, or its tree or script not made in time,\n"
        "             4 warnings with --strict.\n"
        "Without a display, a virtual one (Xvfb) is started for the run. A name after \"--\" is taken\n"
        "as the world or folder even when it starts with \"-\".\n");
}

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
    if (command == u"tree")
        options.command = Command::Tree;
    else if (command == u"script")
        options.command = Command::Script;
    else if (command == u"check")
        options.command = Command::Check;
    else if (command == u"sweep")
        options.command = Command::Sweep;
    else if (command == u"--help" || command == u"-h" || command == u"help")
        return options;
    else
        return bad(QStringLiteral("Unknown command: ") + command);

    // check takes the script command's options, except where to write the script.
    const bool check = options.command == Command::Check;
    const bool script = options.command == Command::Script || check;
    const bool sweep = options.command == Command::Sweep;
    bool optionsEnded = false; // after "--", a name that starts with "-" is a name
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (!optionsEnded && a == u"--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !a.startsWith(u'-') || a.size() == 1) {
            if (!options.target.isEmpty())
                return bad(QStringLiteral("Only one ") +
                           (sweep ? QStringLiteral("folder") : QStringLiteral("world")) +
                           QStringLiteral(" may be given"));
            options.target = a;
            continue;
        }
        auto value = [&](QString* into) {
            if (i + 1 >= arguments.size())
                return false;
            *into = arguments[++i];
            return true;
        };
        // The next argument as a whole number from 1 to `most`.
        auto number = [&](int* into, int most) {
            QString text;
            bool ok = false;
            return value(&text) && (*into = text.toInt(&ok), ok) && *into >= 1 && *into <= most;
        };
        if (a == u"--named" && !sweep) {
            options.named = true;
        } else if (a == u"--get" && script) {
            options.get = true;
        } else if (a == u"--set" && script) {
            options.set = true;
        } else if (a == u"--on" && script) {
            options.on = true;
        } else if (a == u"--allow-network") {
            options.allowNetwork = true;
        } else if (a == u"--verbose") {
            options.verbose = true;
        } else if (a == u"--select" && script) {
            QString name;
            if (!value(&name))
                return bad(QStringLiteral("--select needs a name"));
            options.selectNames.append(name);
        } else if (a == u"--selections" && script) {
            if (!value(&options.selectionsFile) || options.selectionsFile.isEmpty())
                return bad(QStringLiteral("--selections needs a file"));
        } else if (a == u"--strict" && script) {
            options.strict = true;
        } else if (a == u"-o" && script && !check) {
            if (!value(&options.output) || options.output.isEmpty())
                return bad(QStringLiteral("-o needs a file"));
        } else if (a == u"--with-host" && script) {
            options.withHost = true;
        } else if (a == u"--timeout") {
            if (!number(&options.timeoutSeconds, 86400))
                return bad(QStringLiteral("--timeout needs a number of seconds (1 to 86400)"));
        } else if (a == u"--max-items") {
            if (!number(&options.maxItems, std::numeric_limits<int>::max()))
                return bad(QStringLiteral("--max-items needs a number of items (1 to 2147483647)"));
        } else {
            return bad(QStringLiteral("Unknown option for ") + command + QStringLiteral(": ") + a);
        }
    }
    if (options.withHost && options.output.isEmpty())
        return bad(QStringLiteral("--with-host needs -o"));
    if (options.target.isEmpty())
        return bad(sweep ? QStringLiteral("No folder given") : QStringLiteral("No world given"));
    return options;
}

} // namespace vendrel
