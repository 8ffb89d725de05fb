// The translation sources: complete, in step with the code, and compiled into the resources.
#include "AppStartup.h"
#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {

struct Message
{
    QString context;
    QString source;
    QString translation;
    QString type; // empty when the translation is finished
};

QList<Message> readTs(const QString& path, QString* error)
{
    QList<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = "cannot open " + path;
        return messages;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Message current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            current = Message{context, QString(), QString(), QString()};
        } else if (xml.name() == QLatin1String("source")) {
            current.source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            current.type = xml.attributes().value("type").toString();
            current.translation = xml.readElementText();
            messages.append(current);
        }
    }
    if (xml.hasError()) {
        *error = xml.errorString();
    }
    return messages;
}

QString tsPath(const QString& language)
{
    return QStringLiteral(TARVO_VIEWER_SOURCE_DIR) + "/resources/translations/app_" + language + ".ts";
}

QSet<QString> keys(const QList<Message>& messages)
{
    QSet<QString> result;
    for (const Message& message : messages) {
        result.insert(message.context + " | " + message.source);
    }
    return result;
}

QStringList placeholders(const QString& text)
{
    QStringList found;
    QRegularExpressionMatchIterator it = QRegularExpression("%\\d").globalMatch(text);
    while (it.hasNext()) {
        found.append(it.next().captured());
    }
    found.sort();
    return found;
}

} // namespace

class TranslationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { TestSupport::initViewerApplication(); }
    void init() { TestSupport::failOnAnyWarning(); }

    void everyStringIsTranslated_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("zh") << "zh";
        QTest::newRow("en") << "en";
    }

    void everyStringIsTranslated()
    {
        QFETCH(QString, language);
        QString error;
        const QList<Message> messages = readTs(tsPath(language), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(!messages.isEmpty());
        for (const Message& message : messages) {
            const QString where = message.context + ": " + message.source;
            QVERIFY2(message.type.isEmpty(), qPrintable(message.type + " " + where));
            QVERIFY2(!message.translation.isEmpty(), qPrintable("empty " + where));
            QVERIFY2(placeholders(message.translation) == placeholders(message.source),
                     qPrintable("placeholders differ in " + where));
        }
    }

    void chineseTextsAreChinese()
    {
        QString error;
        const QList<Message> messages = readTs(tsPath("zh"), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        for (const Message& message : messages) {
            // The language entry names both languages and is the same in each.
            if (message.source.contains(QChar(0x4E2D))) {
                continue;
            }
            QVERIFY2(message.translation.contains(QRegularExpression("[\\x{4E00}-\\x{9FFF}]")),
                     qPrintable(message.context + ": " + message.translation));
        }
    }

    void sourcesAreInStepWithTheCode()
    {
        QTemporaryDir dir;
        const QString extracted = dir.filePath("extracted_zh.ts");
        QProcess lupdate;
        lupdate.start(QStringLiteral(TARVO_LUPDATE), {QStringLiteral(TARVO_VIEWER_SOURCE_DIR), "-no-obsolete",
                                                      "-locations", "none", "-silent", "-ts", extracted});
        QVERIFY(lupdate.waitForFinished(120000));
        QVERIFY2(lupdate.exitCode() == 0, lupdate.readAllStandardError().constData());
        QString error;
        const QSet<QString> inCode = keys(readTs(extracted, &error));
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QSet<QString> inZh = keys(readTs(tsPath("zh"), &error));
        const QSet<QString> inEn = keys(readTs(tsPath("en"), &error));
        QVERIFY(!inCode.isEmpty());
        const QStringList missing = QSet<QString>(inCode).subtract(inZh).values();
        const QStringList stale = QSet<QString>(inZh).subtract(inCode).values();
        QVERIFY2(missing.isEmpty(), qPrintable("not in app_zh.ts (run the TarvoScopeLib_lupdate target): " +
                                               missing.join("; ")));
        QVERIFY2(stale.isEmpty(), qPrintable("no longer in the code: " + stale.join("; ")));
        QCOMPARE(inEn, inZh);
    }

    void compiledTranslationsMatchTheirSources_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("zh") << "zh";
        QTest::newRow("en") << "en";
    }

    void compiledTranslationsMatchTheirSources()
    {
        QFETCH(QString, language);
        QTranslator translator;
        QVERIFY(translator.load(":/app_" + language + ".qm"));
        QString error;
        const QList<Message> messages = readTs(tsPath(language), &error);
        for (const Message& message : messages) {
            QCOMPARE(translator.translate(message.context.toUtf8().constData(),
                                          message.source.toUtf8().constData()),
                     message.translation);
        }
    }
};

QTEST_MAIN(TranslationTest)
#include "TranslationTest.moc"
