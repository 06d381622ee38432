// kastra [PATH]: the program's window, opening PATH (a volume file, or a
// scan the converter reads) when one is given.

#include "app/mainwindow.h"
#include "app/windowlanguage.h"

#include "platform/console.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>
#include <ostream>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: kastra [PATH]\n\n"
    "Shows the volume files of dat/ in the working folder. PATH, a volume file (.dat)\n"
    "or a scan kastra-convert reads (a DICOM folder or file, NIfTI, NRRD, MetaImage),\n"
    "is opened at the start.\n";

// What Qt says while it opens the window system, held back: where it
// cannot, Qt ends the program with abort() after several lines, and one
// line with status 1 says it instead.
struct HeldMessage
{
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::vector<HeldMessage> g_held;

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg)
        return g_held.push_back({type, context.category, text});
    // The window system's own words ("could not connect to display :1")
    // say more than the lines about platform plugins that follow them.
    QString why = text.section('\n', 0, 0);
    for (auto held = g_held.rbegin(); held != g_held.rend(); ++held)
        if (held->category.startsWith("qt.qpa.") && held->category != "qt.qpa.plugin")
            why = held->text;
    why = why.trimmed();
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        why += " (no display is set: start Kastra in a desktop session)";
    console::err() << "kastra: cannot open the window: " << why.toStdString() << std::endl;
    std::_Exit(1);
}

// Gives what Qt said while starting to the usual handler.
void releaseMessages()
{
    qInstallMessageHandler(nullptr);
    for (const HeldMessage& message : g_held)
        qt_message_output(message.type,
                          QMessageLogContext(nullptr, 0, nullptr, message.category.constData()),
                          message.text);
    g_held.clear();
}

} // namespace

int main(int argc, char* argv[])
{
    // Answered before the window system is touched: they need no display.
    if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        console::out() << kUsage;
        return 0;
    }
    if (argc == 2 && !std::strcmp(argv[1], "--version")) {
        console::out() << "kastra " KASTRA_VERSION "\n";
        return 0;
    }
    qInstallMessageHandler(holdMessage);
    // Qt takes its own options out of argv first.
    QApplication application(argc, argv);
    releaseMessages();
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.size() > 1 || arguments.value(0).startsWith('-')) {
        const bool help = arguments.value(0) == "--help" || arguments.value(0) == "-h";
        (help ? console::out() : console::err()) << kUsage;
        return help ? 0 : 2;
    }
    installTranslations(chosenLanguage());
    MainWindow window(nullptr, Qt::Window);
    window.show();
    if (!arguments.isEmpty())
        window.openPath(arguments.first());
    return application.exec();
}
