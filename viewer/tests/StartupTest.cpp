// Start-up: translations, the font, the splash dialog, and the main window's language switch,
// web-page question and toasts.
#include "AppConfig.h"
#include "AppStartup.h"
#include "InitDialog.h"
#include "MainWidget.h"
#include "TarvoHal/EthInterface.h"
#include "TarvoHal/UsbInterface.h"
#include "TestSupport.h"
#include "VXMessageBox.h"
#include "VxFilePathReminderForm.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QUrl>

#include <algorithm>

class StartupTest : public QObject
{
    Q_OBJECT

private:
    // Clicks `button` of the message box that the next exec() opens.
    static void answerNextMessageBox(const QString& button, QString* message = nullptr)
    {
        QTimer::singleShot(0, [button, message] {
            auto* box = qobject_cast<VXMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            if (message) {
                *message = box->findChild<QLabel*>("lb_show_message")->text();
            }
            QTest::mouseClick(box->findChild<QPushButton*>(button), Qt::LeftButton);
        });
    }

    TestHome* m_home = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        m_home = new TestHome;
        TestSupport::initViewerApplication();
    }
    void cleanupTestCase()
    {
        AppStartup::installTranslator("en");
        delete m_home;
    }
    void init() { TestSupport::failOnAnyWarning(); }

    void translatorLoadsBothLanguages()
    {
        QVERIFY(QFile::exists(":/app_en.qm"));
        QVERIFY(QFile::exists(":/app_zh.qm"));
        QVERIFY(AppStartup::installTranslator("zh"));
        QCOMPARE(QCoreApplication::translate("MainWidget", "About us"), QString("关于我们"));
        QCOMPARE(QCoreApplication::translate("VxFilePathReminderForm", "Open Dir"), QString("打开目录"));
        QVERIFY(AppStartup::installTranslator("en"));
        QCOMPARE(QCoreApplication::translate("MainWidget", "About us"), QString("About us"));
        // Any other code means English; only one translator is installed at a time.
        QVERIFY(AppStartup::installTranslator("fr"));
        QCOMPARE(QCoreApplication::translate("MainWidget", "Tips"), QString("Tips"));
        QVERIFY(AppStartup::currentTranslator());
        QVERIFY(!AppStartup::currentTranslator()->isEmpty());
    }

    void embeddedFontBecomesTheApplicationFont()
    {
        if (!QFile::exists(AppStartup::kFontResource)) {
            QSKIP("built without the font tools or a Noto Sans CJK face");
        }
        QVERIFY(AppStartup::loadFont());
        QCOMPARE(QApplication::font().family(), QString("Noto Sans SC Medium"));
        QCOMPARE(QApplication::font().hintingPreference(), QFont::PreferNoHinting);
        // The subset must hold the Chinese texts it was cut for.
        const QFontMetrics metrics(QApplication::font());
        for (const QChar c : QString("关于我们打开目录语言切换将在重启后生效")) {
            QVERIFY2(metrics.inFont(c), qPrintable(QString(c)));
        }
    }

    void simulatedCamerasAreFoundAfterStartUp()
    {
        // The test home has no device list, so the three default cameras are attached.
        AppStartup::installSimulatedCameras();
        const auto hasSerial = [](const std::vector<tarvo::CameraDescription>& found, const char* serial) {
            return std::any_of(found.begin(), found.end(), [&](const auto& d) { return d.serial == serial; });
        };
        QVERIFY(hasSerial(tarvo::UsbInterface::findUsbDvsCamera(0x04B5, 0x0001), "KST-USB-0001"));
        QVERIFY(hasSerial(tarvo::UsbInterface::findUsbFusionCamera(0x2207, 0x0006), "DUET-0001"));
        QVERIFY(hasSerial(tarvo::EthInterface::findEthDvsCamera(), "KST-ETH-0001"));
    }

    void splashShowsTheVersionAndClosesItselfAfterTwoSeconds()
    {
        QTest::ignoreMessage(QtDebugMsg, "TarvoScope Version:  1.2.0");
        InitDialog splash;
        QCOMPARE(splash.findChild<QLabel*>("lb_version")->text(), QString("Version: 1.2.0"));
        QCOMPARE(splash.size(), QSize(518, 378));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(!splash.findChild<QLabel*>("lb_logo")->pixmap().isNull());
        QElapsedTimer clock;
        clock.start();
        splash.exec();
        QVERIFY(clock.elapsed() >= InitDialog::kAutoCloseMs * 94 / 100); // coarse timers may fire 5 % early
        QVERIFY(clock.elapsed() < InitDialog::kAutoCloseMs + 10000);
    }

    void splashCloseButtonClosesAtOnce()
    {
        QTest::ignoreMessage(QtDebugMsg, "TarvoScope Version:  1.2.0");
        InitDialog splash;
        QTimer::singleShot(0, &splash, [&splash] {
            QTest::mouseClick(splash.findChild<QPushButton*>("btn_close"), Qt::LeftButton);
        });
        QElapsedTimer clock;
        clock.start();
        splash.exec();
        QVERIFY(clock.elapsed() < InitDialog::kAutoCloseMs / 2);
    }

    void acceptedLanguageSwitchSavesTheLanguageBeforeRestarting()
    {
        AppConfig* config = AppConfig::instance();
        config->setLanguage("en");
        MainWidget window;
        QString languageSeenByRestart;
        int restarts = 0;
        window.setRestartLauncher([&] {
            ++restarts;
            QSettings stored(config->configFilePath(), QSettings::IniFormat);
            languageSeenByRestart = stored.value("Setting/language").toString();
            return true;
        });
        window.show();
        QString message;
        answerNextMessageBox("pb_open", &message);
        QTest::ignoreMessage(QtDebugMsg, "Write to config file.");
        window.slotSwitchLanguage();
        QCOMPARE(message, QString("The language change will take effect after restart."));
        QCOMPARE(restarts, 1);
        QCOMPARE(languageSeenByRestart, QString("zh"));
        QCOMPARE(config->language(), QString("zh"));
        QVERIFY(!window.isVisible());

        // And back again.
        answerNextMessageBox("pb_open");
        QTest::ignoreMessage(QtDebugMsg, "Write to config file.");
        window.slotSwitchLanguage();
        QCOMPARE(config->language(), QString("en"));
    }

    void laterChangesNothing()
    {
        AppConfig* config = AppConfig::instance();
        config->setLanguage("zh");
        MainWidget window;
        int restarts = 0;
        window.setRestartLauncher([&] { return ++restarts > 0; });
        window.show();
        answerNextMessageBox("pb_close");
        window.slotSwitchLanguage();
        QCOMPARE(restarts, 0);
        QCOMPARE(config->language(), QString("zh"));
        QVERIFY(window.isVisible());
        config->setLanguage("en");
    }

    void aboutUsOpensTheWebPageOnlyWhenAsked()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("https", &catcher, "openUrl");
        MainWidget window;
        window.show();
        answerNextMessageBox("pb_close");
        window.slotOpenWebPage();
        QVERIFY(catcher.urls.isEmpty());
        QString message;
        answerNextMessageBox("pb_open", &message);
        window.slotOpenWebPage();
        QDesktopServices::unsetUrlHandler("https");
        QCOMPARE(message, QString("Is it open in the browser?"));
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl(AppStartup::kWebPage)});
    }

    void toastsAppearStackedAtTheBottomLeftNewestOnTop()
    {
        MainWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The offscreen screen is smaller than the window; keep the toasts' corner on it.
        window.move(0, 0);
        Q_EMIT window.signalShowLeftBottomTips("first", Warning, QString());
        Q_EMIT window.signalShowLeftBottomTips("second", Success, QString());
        // The route is queued, so the toasts appear once the event loop has run.
        QTRY_COMPARE(window.findChildren<VxFilePathReminderForm*>().size(), 2);
        const auto toasts = window.findChildren<VxFilePathReminderForm*>();
        for (VxFilePathReminderForm* toast : toasts) {
            QVERIFY(toast->isVisible());
            QCOMPARE(toast->x(), window.x());
            QCOMPARE(toast->y() + toast->height(), window.y() + window.height());
        }
        QCOMPARE(toasts.at(0)->geometry(), toasts.at(1)->geometry());
        QCOMPARE(toasts.at(0)->type(), Warning);
        QCOMPARE(toasts.at(1)->type(), Success);
    }

    void maximiseButtonTogglesTheWindowAndItsIcon()
    {
        MainWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* maximise = window.findChild<QPushButton*>("pb_win_max");
        QCOMPARE(maximise->property("type").toString(), QString("maxsize"));
        QTest::mouseClick(maximise, Qt::LeftButton);
        QTRY_VERIFY(window.isMaximized());
        QTRY_COMPARE(maximise->property("type").toString(), QString("restore"));
        QTest::mouseClick(maximise, Qt::LeftButton);
        QTRY_VERIFY(!window.isMaximized());
        QTRY_COMPARE(maximise->property("type").toString(), QString("maxsize"));
        QTest::mouseClick(window.findChild<QPushButton*>("pb_win_close"), Qt::LeftButton);
        QVERIFY(!window.isVisible());
    }

    void switchingTheTranslationRetranslatesTheWindow()
    {
        MainWidget window;
        auto* fileMenu = window.findChild<QPushButton*>("pb_menu_file");
        QCOMPARE(fileMenu->text(), QString("File"));
        // The language change reaches the windows as a posted event.
        QVERIFY(AppStartup::installTranslator("zh"));
        QTRY_COMPARE(fileMenu->text(), QString("文件"));
        QVERIFY(AppStartup::installTranslator("en"));
        QTRY_COMPARE(fileMenu->text(), QString("File"));
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
