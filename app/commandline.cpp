#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSet>
#include <QStringList>

#include <cstdio>

namespace {

// Qt's own options (QGuiApplication's, QApplication's and xcb's), which the
// application object takes out of argv itself.
const QSet<QString> qtOptionsWithValue{
    QStringLiteral("platform"), QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
    QStringLiteral("plugin"), QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"), QStringLiteral("session"), QStringLiteral("display"),
    QStringLiteral("geometry"), QStringLiteral("title"), QStringLiteral("name"), QStringLiteral("icon"),
    QStringLiteral("style"), QStringLiteral("stylesheet"), QStringLiteral("visual"), QStringLiteral("ncols"),
    QStringLiteral("qmljsdebugger")};
const QSet<QString> qtFlags{QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
                            QStringLiteral("dograb"), QStringLiteral("sync"), QStringLiteral("cmap"),
                            QStringLiteral("testability")};

// The arguments without Qt's own options and their values.
QStringList withoutQtOptions(int argc, char **argv)
{
    QStringList kept;
    for (int i = 0; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (i == 0 || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("--")) {
            kept << argument;
            continue;
        }
        QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const bool valueAttached = name.contains(QLatin1Char('='));
        name = name.section(QLatin1Char('='), 0, 0);
        if (qtFlags.contains(name) || (valueAttached && qtOptionsWithValue.contains(name)))
            continue;
        if (qtOptionsWithValue.contains(name)) {
            ++i; // its value
            continue;
        }
        kept << argument;
    }
    return kept;
}

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

CommandLine readCommandLine(int argc, char **argv)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Remote control for a network PTZ camera (VISCA over TCP) with an RTSP preview.\n"
        "Qt's own options (-platform, -display, -style, ...) are passed to Qt."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption latency(
        QStringLiteral("preview-latency"),
        QStringLiteral("The preview's delay: \"default\" (a fixed 300 ms cache, safe on a bad network) or "
                       "\"low\" (as little as the network allows, growing with its jitter and coming back "
                       "down; a frame may be held on a network that turns bad). Kept for the next starts."),
        QStringLiteral("mode"));
    parser.addOption(latency);

    CommandLine line;
    const QStringList arguments = withoutQtOptions(argc, argv);
    const bool parsed = parser.parse(arguments);
    if (parsed && parser.isSet(help)) {
        // The help text names the program from the application object's arguments.
        int count = 1;
        QCoreApplication application(count, argv);
        print(stdout, parser.helpText());
        line.run = false;
        return line;
    }
    if (parsed && parser.isSet(version)) {
        print(stdout, QStringLiteral("halvorine-remote %1\n").arg(QStringLiteral(HALVORINE_VERSION)));
        line.run = false;
        return line;
    }
    QString error = parsed ? QString() : parser.errorText();
    if (error.isEmpty() && !parser.positionalArguments().isEmpty())
        error = QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().constFirst());
    if (error.isEmpty() && parser.isSet(latency)) {
        line.previewLatency = PreviewLatencyChoice::fromName(parser.value(latency));
        if (!line.previewLatency)
            error = QStringLiteral("Unknown preview latency '%1': give \"default\" or \"low\".").arg(parser.value(latency));
    }
    if (!error.isEmpty()) {
        print(stderr, QStringLiteral("halvorine-remote: %1\nTry 'halvorine-remote --help'.\n").arg(error));
        line.run = false;
        line.exitCode = 2;
    }
    return line;
}
