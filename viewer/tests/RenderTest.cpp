#include <QTest>
class RenderTest : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(RenderTest)
#include "RenderTest.moc"
