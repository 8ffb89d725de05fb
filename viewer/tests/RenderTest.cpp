// Renders every widget and dialog into build/viewer/tests/renders/*.png for review, and checks
// the colours that make up each look.
#include "AppStartup.h"
#include "InitDialog.h"
#include "MainWidget.h"
#include "PopWidget.h"
#include "ShowImageForm.h"
#include "TestSupport.h"
#include "VXComboBoxBase.h"
#include "VXMessageBox.h"
#include "VxComboBox.h"
#include "VxFilePathReminderForm.h"
#include "VxLineEdit.h"
#include "VxSlider.h"
#include "VxThreeHandleSlider.h"
#include "VxToolTip.h"
#include "WaitingWin.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>

class RenderTest : public QObject
{
    Q_OBJECT

private:
    static QColor colourAt(QWidget* widget, QPoint point)
    {
        return widget->grab().toImage().pixelColor(point);
    }

    TestHome* m_home = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        m_home = new TestHome;
        TestSupport::initViewerApplication();
        if (QFile::exists(AppStartup::kFontResource)) {
            QVERIFY(AppStartup::loadFont());
        }
    }
    void cleanupTestCase()
    {
        AppStartup::installTranslator("en");
        delete m_home;
    }
    void init() { TestSupport::failOnAnyWarning(); }

    void splashDialog()
    {
        QTest::ignoreMessage(QtDebugMsg, "TarvoScope Version:  1.2.0");
        InitDialog splash;
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QVERIFY(TestSupport::saveRender(&splash, "InitDialog"));
        // The drop shadow lives in a 10 px margin around the visible frame.
        QCOMPARE(splash.findChild<QWidget*>("frame_init")->geometry(), QRect(10, 10, 498, 358));
        // The title bar in the accent colour inside the 10 px shadow margin.
        QCOMPARE(colourAt(&splash, QPoint(259, 30)), QColor(0x00, 0x4B, 0x6A));
        QCOMPARE(colourAt(&splash, QPoint(40, 300)), QColor(0xF2, 0xF2, 0xF2));
    }

    void mainWindowInBothLanguages()
    {
        for (const char* language : {"en", "zh"}) {
            QVERIFY(AppStartup::installTranslator(language));
            QCoreApplication::processEvents();
            MainWidget window;
            window.resize(1280, 800);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QVERIFY(TestSupport::saveRender(&window, QString("MainWidget_%1").arg(language)));
            QCOMPARE(colourAt(&window, QPoint(640, 400)), QColor(0x70, 0x70, 0x70));
        }
        QVERIFY(AppStartup::installTranslator("en"));
    }

    void messageBox()
    {
        VXMessageBox box("The language change will take effect after restart.", "Tips", "Restart", "Later");
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(TestSupport::saveRender(&box, "VXMessageBox"));
        QCOMPARE(colourAt(&box, QPoint(box.width() / 2, 10)), QColor(0x00, 0x4B, 0x6A));
        QWidget* accept = box.findChild<QWidget*>("pb_open");
        QCOMPARE(colourAt(accept, QPoint(4, accept->height() / 2)), QColor(0x00, 0x4B, 0x6A));
        QWidget* reject = box.findChild<QWidget*>("pb_close");
        QCOMPARE(colourAt(reject, QPoint(4, reject->height() / 2)), QColor(Qt::white));
    }

    void toasts()
    {
        const struct
        {
            VxMessageType type;
            const char* name;
            QColor background;
        } kinds[] = {{Success, "Success", QColor(0xF5, 0xFC, 0xF6)},
                     {Warning, "Warning", QColor(0xFE, 0xFB, 0xF4)},
                     {Error, "Error", QColor(0xFF, 0xF6, 0xF6)}};
        for (const auto& kind : kinds) {
            VxFilePathReminderForm toast(
                QString("%1: the recording was saved to /home/user/TarvoData.").arg(kind.name), kind.type,
                kind.type == Success ? "/tmp" : QString());
            toast.show();
            QVERIFY(QTest::qWaitForWindowExposed(&toast));
            QVERIFY(TestSupport::saveRender(&toast, QString("VxFilePathReminderForm_%1").arg(kind.name)));
            QCOMPARE(colourAt(&toast, QPoint(toast.width() - 50, toast.height() - 6)), kind.background);
        }
    }

    void tooltipAndWaitingWindow()
    {
        VxToolTip tip("Reset the playback progress to the beginning", VxToolTip::AlignCenterAbove);
        tip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tip));
        QVERIFY(TestSupport::saveRender(&tip, "VxToolTip"));
        QCOMPARE(tip.height(), 20);
        QCOMPARE(colourAt(&tip, QPoint(tip.width() / 2, 2)), QColor(Qt::white));

        QWidget owner;
        owner.resize(300, 200);
        owner.show();
        WaitingWin waiting(&owner);
        waiting.show();
        QVERIFY(QTest::qWaitForWindowExposed(&waiting));
        QVERIFY(TestSupport::saveRender(&waiting, "WaitingWin"));
        waiting.close();
    }

    void timelineAndSliders()
    {
        QWidget panel;
        panel.setStyleSheet("background: #FFFFFF;");
        auto* layout = new QVBoxLayout(&panel);
        auto* centreOnly = new VxThreeHandleSlider;
        auto* withRange = new VxThreeHandleSlider;
        auto* disabled = new VxThreeHandleSlider;
        for (VxThreeHandleSlider* slider : {centreOnly, withRange, disabled}) {
            slider->setMinimum(0);
            slider->setMaximum(10'000'000);
            layout->addWidget(slider);
        }
        centreOnly->setCenterValue(4'000'000);
        withRange->setMode(VxThreeHandleSlider::CenterAndRange);
        withRange->setCenterValue(5'000'000);
        withRange->setLowerValue(2'000'000);
        withRange->setUpperValue(8'000'000);
        disabled->setEnabled(false);
        auto* slider = new VxSlider(Qt::Horizontal);
        slider->setRange(0, 100);
        slider->setValue(30);
        layout->addWidget(slider);
        panel.resize(500, 160);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QVERIFY(TestSupport::saveRender(&panel, "Sliders"));

        // Groove grey beyond the centre, accent before it.
        const int y = centreOnly->height() / 2;
        QCOMPARE(colourAt(centreOnly, QPoint(qRound(centreOnly->positionForValue(8'000'000)), y)),
                 QColor(208, 208, 208));
        QCOMPARE(colourAt(centreOnly, QPoint(qRound(centreOnly->positionForValue(2'000'000)), y)),
                 QColor(0x00, 0x4B, 0x6A));
    }

    void iconSheet()
    {
        // Every icon must be a valid picture; the sheet shows them side by side for review.
        QDir icons(":/img/icon");
        const QStringList names = icons.entryList(QDir::Files, QDir::Name);
        QVERIFY(names.size() >= 30);
        const int columns = 8;
        const int cell = 56;
        QImage sheet(columns * cell, ((names.size() + columns - 1) / columns) * cell, QImage::Format_ARGB32);
        sheet.fill(QColor(0xF2, 0xF2, 0xF2));
        QPainter painter(&sheet);
        for (int i = 0; i < names.size(); ++i) {
            const QImage icon(icons.filePath(names[i]));
            QVERIFY2(!icon.isNull(), qPrintable(names[i]));
            const QRect target((i % columns) * cell + 8, (i / columns) * cell + 8, cell - 16, cell - 16);
            painter.drawImage(target,
                              icon.scaled(target.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
        }
        painter.end();
        QVERIFY(sheet.save(QStringLiteral(TARVO_RENDER_DIR) + "/Icons.png"));
        QVERIFY(!QImage(AppStartup::kWindowIconResource).isNull());
        QVERIFY(!QImage(":/img/assets/Tarvo logo_ system-version.png").isNull());
    }

    void inputsAndImageView()
    {
        QWidget panel;
        panel.setStyleSheet("background: #F2F2F2;");
        auto* layout = new QVBoxLayout(&panel);
        auto* combo = new VxComboBox;
        combo->comboBox()->addItems({"33.33ms", "100ms", "10ms", "1ms"});
        auto* edit = new VxLineEdit;
        edit->setRange(0, 255);
        edit->setValue(128);
        auto* image = new ShowImageForm;
        image->setMinimumSize(480, 270);
        layout->addWidget(combo);
        layout->addWidget(edit);
        layout->addWidget(image);
        panel.resize(520, 380);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));

        QImage picture(1280, 720, QImage::Format_RGB32);
        QPainter painter(&picture);
        QLinearGradient gradient(0, 0, 1280, 720);
        gradient.setColorAt(0, QColor(30, 37, 52));
        gradient.setColorAt(1, QColor(64, 126, 200));
        painter.fillRect(picture.rect(), gradient);
        painter.end();
        image->slotShowImage(picture);
        QVERIFY(TestSupport::saveRender(&panel, "Inputs"));

        edit->slotMouseHoverd(true);
        QVERIFY(edit->popup()->isVisible());
        QVERIFY(TestSupport::saveRender(edit->popup(), "VxLineEdit_popup"));
        QCOMPARE(colourAt(edit->popup(), QPoint(3, edit->popup()->height() / 2)), QColor(0xE8, 0xEF, 0xF1));
        edit->slotMouseHoverd(false);
    }
};

QTEST_MAIN(RenderTest)
#include "RenderTest.moc"
