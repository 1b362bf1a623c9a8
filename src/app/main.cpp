#include <QApplication>
#include <QLabel>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varkol"));
    QLabel placeholder(QStringLiteral("Varkol"));
    placeholder.show();
    return QApplication::exec();
}
