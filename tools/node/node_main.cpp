// kestrion-node: a stand-in for a LightWave render node, speaking the node's side of the
// job and ack files. It only starts for now.
#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrion-node"));
    return 0;
}
