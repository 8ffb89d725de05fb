#include <QTest>
class TranslationTest : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(TranslationTest)
#include "TranslationTest.moc"
