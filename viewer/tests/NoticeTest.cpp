// Tooltips, toasts, the message box and the waiting window: timings, placement and signals.
#include "TestSupport.h"
#include "VXMessageBox.h"
#include "VxFilePathReminderForm.h"
#include "VxToolTip.h"
#include "WaitingWin.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMovie>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

class NoticeTest : public QObject
{
    Q_OBJECT

private:
    // Coarse timers may fire up to 5 % early.
    static qint64 earliest(int intervalMs) { return intervalMs * 94 / 100; }

    static void sendEnter(QWidget* target)
    {
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), target->mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(target, &enter);
    }
    static void sendLeave(QWidget* target)
    {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(target, &leave);
    }

private Q_SLOTS:
    void initTestCase() { TestSupport::initViewerApplication(); }
    void init() { TestSupport::failOnAnyWarning(); }

    void tooltipAppearsAfterTwoSecondsAndHidesThreeSecondsLater()
    {
        QWidget window;
        window.setGeometry(300, 300, 400, 200);
        QPushButton button("Play", &window);
        button.setGeometry(150, 100, 80, 30);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        VxToolTip tip("Play/Stop", VxToolTip::AlignCenterAbove, &window);
        tip.attachToWidget(&button);
        QVERIFY(button.hasMouseTracking());
        QElapsedTimer clock;
        clock.start();
        sendEnter(&button);
        QVERIFY(tip.showTimer().isActive());
        QCOMPARE(tip.showTimer().interval(), VxToolTip::kShowDelayMs);
        QVERIFY(!tip.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(tip.isVisible(), 4000);
        QVERIFY(clock.elapsed() >= earliest(VxToolTip::kShowDelayMs));

        // Centred horizontally above the button.
        const QRect buttonRect(button.mapToGlobal(QPoint(0, 0)), button.size());
        QCOMPARE(tip.geometry().center().x(), buttonRect.center().x());
        QVERIFY(tip.geometry().bottom() < buttonRect.top());
        QVERIFY(tip.width() >= 100);
        QCOMPARE(tip.height(), 20);

        clock.restart();
        QCOMPARE(tip.hideTimer().interval(), VxToolTip::kShowDurationMs);
        QTRY_VERIFY_WITH_TIMEOUT(!tip.isVisible(), 5000);
        QVERIFY(clock.elapsed() >= earliest(VxToolTip::kShowDurationMs));
    }

    void leavingWithinTwoSecondsShowsNoTooltip()
    {
        QWidget window;
        window.setGeometry(300, 300, 400, 200);
        QPushButton button("Next", &window);
        button.setGeometry(150, 100, 80, 30);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        VxToolTip tip("Next frame", VxToolTip::AlignCenterAbove, &window);
        tip.attachToWidget(&button);
        sendEnter(&button);
        sendLeave(&button);
        QVERIFY(!tip.showTimer().isActive());
        QVERIFY(tip.hideTimer().isActive());
        QCOMPARE(tip.hideTimer().interval(), VxToolTip::kLeaveDelayMs);
        // Once the short hide timer has run out nothing is pending that could show the tip.
        QTRY_VERIFY(!tip.hideTimer().isActive());
        QVERIFY(!tip.showTimer().isActive());
        QVERIFY(!tip.isVisible());
    }

    void leftAlignedTooltipEndsAtTheTargetsLeftEdge()
    {
        QWidget window;
        window.setGeometry(300, 300, 400, 200);
        QPushButton button("Loop", &window);
        button.setGeometry(250, 100, 60, 30);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        VxToolTip tip("Select to automatically replay at the end of the playback",
                      VxToolTip::AlignLeftOfTarget, &window);
        tip.attachToWidget(&button);
        sendEnter(&button);
        QCOMPARE(tip.geometry().right() + 1, button.mapToGlobal(QPoint(0, 0)).x());
        sendLeave(&button);
    }

    void attachingAnotherTargetDetachesTheFirst()
    {
        QWidget window;
        QPushButton first("a", &window);
        QPushButton second("b", &window);
        VxToolTip tip("tip", VxToolTip::AlignCenterAbove, &window);
        tip.attachToWidget(&first);
        tip.attachToWidget(&second);
        QCOMPARE(tip.targetWidget(), &second);
        sendEnter(&first);
        QVERIFY(!tip.showTimer().isActive());
        sendEnter(&second);
        QVERIFY(tip.showTimer().isActive());
    }

    void tooltipPropertiesNotifyChanges()
    {
        VxToolTip tip("one", VxToolTip::AlignCenterAbove);
        QSignalSpy textSpy(&tip, &VxToolTip::textChanged);
        QSignalSpy xSpy(&tip, &VxToolTip::xOffsetChanged);
        QSignalSpy ySpy(&tip, &VxToolTip::yOffsetChanged);
        QSignalSpy alignmentSpy(&tip, &VxToolTip::alignmentChanged);
        tip.setProperty("text", "two");
        tip.setProperty("x_offset", 5);
        tip.setProperty("y_offset", 7);
        tip.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        tip.setText("two");
        QCOMPARE(textSpy.count(), 1);
        QCOMPARE(xSpy.count(), 1);
        QCOMPARE(ySpy.count(), 1);
        QCOMPARE(alignmentSpy.count(), 1);
        QCOMPARE(tip.text(), QString("two"));
        QCOMPARE(tip.findChild<QLabel*>("lb_tool_tip")->text(), QString("two"));
    }

    void toastWithoutPathHasNoOpenButtonAndGoesAfterFiveSeconds()
    {
        QPointer<VxFilePathReminderForm> toast = new VxFilePathReminderForm("Saved.", Success, QString());
        toast->show();
        QVERIFY(!toast->findChild<QPushButton*>("pb_open_dir")->isVisible());
        QCOMPARE(toast->findChild<QLabel*>("lb_show_tips")->text(), QString("Saved."));
        QCOMPARE(toast->lifetimeTimer().interval(), VxFilePathReminderForm::kLifetimeMs);
        QVERIFY(toast->lifetimeTimer().isSingleShot());
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(toast.isNull(), 8000);
        QVERIFY(clock.elapsed() >= earliest(VxFilePathReminderForm::kLifetimeMs));
    }

    void toastKindsCarryTheirTitleAndColours_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<QString>("background");
        QTest::newRow("success") << int(Success) << "Success"
                                 << "#58DB6D"
                                 << "#F5FCF6";
        QTest::newRow("warning") << int(Warning) << "Warning"
                                 << "#F9BF37"
                                 << "#FEFBF4";
        QTest::newRow("error") << int(Error) << "Error"
                               << "#FF6058"
                               << "#FFF6F6";
    }

    void toastKindsCarryTheirTitleAndColours()
    {
        QFETCH(int, type);
        QFETCH(QString, title);
        QFETCH(QString, colour);
        QFETCH(QString, background);
        VxFilePathReminderForm toast("text", VxMessageType(type), "/tmp");
        auto* kind = toast.findChild<QLabel*>("lb_tips_type");
        QCOMPARE(kind->text(), title);
        QVERIFY(kind->styleSheet().contains(colour));
        const QString frameStyle = toast.findChild<QWidget*>("frame_tips")->styleSheet();
        QVERIFY(frameStyle.contains(colour));
        QVERIFY(frameStyle.contains(background));
        QVERIFY(!toast.findChild<QLabel*>("lb_tips_icon")->pixmap().isNull());
    }

    void toastCloseButtonRemovesItAtOnce()
    {
        QPointer<VxFilePathReminderForm> toast = new VxFilePathReminderForm("x", Error, QString());
        toast->show();
        QTest::mouseClick(toast->findChild<QPushButton*>("pb_close"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(toast.isNull(), 1000);
    }

    void toastOpensTheFolderOfItsFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("rec.raw");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.close();
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "openUrl");
        VxFilePathReminderForm toast("Recorded.", Success, file);
        toast.show();
        auto* open = toast.findChild<QPushButton*>("pb_open_dir");
        QVERIFY(open->isVisible());
        QTest::mouseClick(open, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls.first(), QUrl::fromLocalFile(dir.path()));
    }

    void aFolderThatCannotBeOpenedTurnsTheToastIntoAnError()
    {
        // The offscreen platform has no desktop services: as on a machine without a file manager,
        // nothing opens the folder.
        QTemporaryDir dir;
        VxFilePathReminderForm toast("Recorded.", Success, dir.path());
        toast.show();
        QTest::mouseClick(toast.findChild<QPushButton*>("pb_open_dir"), Qt::LeftButton);
        QCOMPARE(toast.type(), Error);
        QCOMPARE(toast.findChild<QLabel*>("lb_show_tips")->text(),
                 QString("No file manager could open %1.").arg(QDir::toNativeSeparators(dir.path())));
        QCOMPARE(toast.findChild<QLabel*>("lb_tips_type")->text(), QString("Error"));
        QVERIFY(!toast.findChild<QPushButton*>("pb_open_dir")->isVisible());
        QVERIFY(toast.lifetimeTimer().isActive());
    }

    void aNoticeWithoutAChoiceHasOneButton()
    {
        VXMessageBox box("The folder /data does not exist.", "Export a video", "OK", QString());
        box.show();
        QVERIFY(box.findChild<QPushButton*>("pb_open")->isVisible());
        QVERIFY(!box.findChild<QPushButton*>("pb_close")->isVisible());
        QCOMPARE(box.message(), QString("The folder /data does not exist."));
    }

    void messageBoxReturnsAcceptedOnlyForTheAcceptButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::newRow("accept") << "pb_open" << int(QDialog::Accepted);
        QTest::newRow("reject") << "pb_close" << int(QDialog::Rejected);
        QTest::newRow("close box") << "pb_win_close" << int(QDialog::Rejected);
    }

    void messageBoxReturnsAcceptedOnlyForTheAcceptButton()
    {
        QFETCH(QString, button);
        QFETCH(int, result);
        VXMessageBox box("Is it open in the browser?", "Tips", "Open", "Close");
        QCOMPARE(box.findChild<QLabel*>("lb_show_message")->text(), QString("Is it open in the browser?"));
        QCOMPARE(box.findChild<QLabel*>("lb_title")->text(), QString("Tips"));
        QCOMPARE(box.findChild<QPushButton*>("pb_open")->text(), QString("Open"));
        QCOMPARE(box.findChild<QPushButton*>("pb_close")->text(), QString("Close"));
        QTimer::singleShot(0, &box, [&box, button] {
            QTest::mouseClick(box.findChild<QPushButton*>(button), Qt::LeftButton);
        });
        QCOMPARE(box.exec(), result);
        QVERIFY(box.isModal());
    }

    void waitingWindowCentresOverItsWidgetAndAnimatesWhileShown()
    {
        QWidget window;
        window.setGeometry(100, 100, 800, 500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        WaitingWin waiting(&window);
        QVERIFY(waiting.movie()->isValid());
        waiting.show();
        QCOMPARE(waiting.movie()->state(), QMovie::Running);
        const QPoint centre = window.mapToGlobal(window.rect().center());
        QVERIFY((waiting.geometry().center() - centre).manhattanLength() <= 2);
        QVERIFY(waiting.windowFlags() & Qt::WindowStaysOnTopHint);

        window.move(300, 200);
        waiting.centerOnWidget();
        QVERIFY(
            (waiting.geometry().center() - window.mapToGlobal(window.rect().center())).manhattanLength() <=
            2);

        waiting.close();
        QCOMPARE(waiting.movie()->state(), QMovie::NotRunning);
    }
};

QTEST_MAIN(NoticeTest)
#include "NoticeTest.moc"
