#include <QCoreApplication>
#include <QTextStream>

// The program's entry point. The main window is not part of this build yet; until it is, the program
// reports that everything was built and ends.
int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Cofferly"));
    QTextStream(stdout) << "Cofferly " << COFFERLY_VERSION
                        << ": the data store and the platform layer are built; the main window is not yet.\n";
    return 0;
}
