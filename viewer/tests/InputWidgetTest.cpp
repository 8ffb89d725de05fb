// The styled inputs and the image view.
#include "PopWidget.h"
#include "ShowImageForm.h"
#include "TestSupport.h"
#include "VXComboBoxBase.h"
#include "VxComboBox.h"
#include "VxGraphicsView.h"
#include "VxLineEdit.h"
#include "VxLineEditBase.h"
#include "VxSlider.h"

#include <QApplication>
#include <QCursor>
#include <QGraphicsPixmapItem>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

class InputWidgetTest : public QObject
{
    Q_OBJECT

private:
    static void sendWheel(QWidget* target, int delta)
    {
        const QPointF centre = QPointF(target->rect().center());
        QWheelEvent wheel(centre, target->mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target->property("viewport").isValid() ? target : target, &wheel);
    }

private Q_SLOTS:
    void initTestCase() { TestSupport::initViewerApplication(); }
    void init() { TestSupport::failOnAnyWarning(); }

    void comboBoxFrameLightsUpWhileItsListIsOpen()
    {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* other = new QLineEdit(&window);
        auto* comboPointer = new VxComboBox(&window);
        VxComboBox& combo = *comboPointer;
        layout->addWidget(other);
        layout->addWidget(comboPointer);
        combo.comboBox()->addItems({"33.33ms", "100ms", "10ms", "1ms"});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        other->setFocus();
        auto* frame = combo.findChild<QWidget*>("comboBoxWidget");
        QCOMPARE(frame->property("state").toString(), QString("normal"));
        QSignalSpy shown(combo.comboBox(), &VXComboBoxBase::popupShown);
        QSignalSpy hidden(combo.comboBox(), &VXComboBoxBase::popupHidden);
        combo.comboBox()->showPopup();
        QCOMPARE(shown.count(), 1);
        QVERIFY(combo.isPopupOpen());
        QCOMPARE(frame->property("state").toString(), QString("active"));
        QCOMPARE(combo.comboBox()->property("open").toBool(), true);
        combo.comboBox()->hidePopup();
        QCOMPARE(hidden.count(), 1);
        QVERIFY(!combo.isPopupOpen());
        QCOMPARE(frame->property("state").toString(), QString("normal"));

        // Focus alone lights the frame up too.
        combo.lineEdit()->setFocus();
        QTRY_COMPARE(frame->property("state").toString(), QString("active"));
        other->setFocus();
        QTRY_COMPARE(frame->property("state").toString(), QString("normal"));
    }

    void comboBoxForwardsTypingAndEditingFinished()
    {
        VxComboBox combo;
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        QSignalSpy changed(&combo, &VxComboBox::signalLineEditTextChanged);
        QSignalSpy finished(&combo, &VxComboBox::signalLineEditEditingFinished);
        combo.lineEdit()->setFocus();
        QTest::keyClicks(combo.lineEdit(), "250");
        QCOMPARE(changed.count(), 3);
        QCOMPARE(changed.last().at(0).toString(), QString("250"));
        QTest::keyClick(combo.lineEdit(), Qt::Key_Return);
        QVERIFY(finished.count() >= 1);
        QCOMPARE(finished.last().at(0).toString(), QString("250"));
    }

    void lineEditBaseReportsHoverAndIsCentred()
    {
        VxLineEditBase edit;
        QCOMPARE(edit.alignment(), Qt::AlignCenter);
        QSignalSpy spy(&edit, &VxLineEditBase::signalMouseHoverd);
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(&edit, &enter);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&edit, &leave);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toBool(), true);
        QCOMPARE(spy.at(1).at(0).toBool(), false);
    }

    void lineEditShowsItsSliderBelowWhileHovered()
    {
        QWidget window;
        window.setGeometry(200, 200, 300, 120);
        VxLineEdit edit(&window);
        edit.setGeometry(50, 30, 120, 24);
        edit.setRange(0, 255);
        edit.setValue(100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCursor::setPos(0, 0);

        edit.slotMouseHoverd(true);
        QVERIFY(edit.popup()->isVisible());
        const QPoint fieldBottomLeft = edit.lineEdit()->mapToGlobal(QPoint(0, edit.lineEdit()->height()));
        QCOMPARE(edit.popup()->geometry(), QRect(fieldBottomLeft, QSize(edit.lineEdit()->width(), 20)));
        QVERIFY(!edit.popup()->focusPolicy());

        edit.slotMouseHoverd(false);
        QVERIFY(!edit.popup()->isVisible());

        edit.setOwnerWidget(&window);
        edit.slotMouseHoverd(true);
        QCOMPARE(edit.popup()->geometry(),
                 QRect(fieldBottomLeft + QPoint(0, 5), QSize(edit.lineEdit()->width(), 30)));
        edit.slotMouseHoverd(false);
    }

    void lineEditPopupStaysWhileTheMouseMovesOntoIt()
    {
        QWidget window;
        window.setGeometry(200, 200, 300, 120);
        VxLineEdit edit(&window);
        edit.setGeometry(50, 30, 120, 24);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        edit.slotMouseHoverd(true);
        QCursor::setPos(edit.popup()->geometry().center());
        edit.slotMouseHoverd(false);
        QVERIFY(edit.popup()->isVisible());
        QCursor::setPos(0, 0);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(edit.popup(), &leave);
        QVERIFY(!edit.popup()->isVisible());
    }

    void lineEditAndSliderFollowEachOther()
    {
        VxLineEdit edit;
        edit.setRange(0, 255);
        edit.setValue(10);
        QSignalSpy finished(&edit, &VxLineEdit::textFinished);
        QSignalSpy edited(&edit, &VxLineEdit::textEdited);
        edit.slider()->setValue(42);
        QCOMPARE(edit.lineEdit()->text(), QString("42"));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.last().at(0).toString(), QString("42"));

        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        edit.lineEdit()->setFocus();
        edit.lineEdit()->selectAll();
        QTest::keyClicks(edit.lineEdit(), "200");
        QCOMPARE(edited.count(), 3);
        QTest::keyClick(edit.lineEdit(), Qt::Key_Return);
        QCOMPARE(edit.value(), 200);
        QCOMPARE(finished.last().at(0).toString(), QString("200"));

        // A number outside the range is never taken.
        const int finishedBefore = finished.count();
        edit.lineEdit()->selectAll();
        QTest::keyClicks(edit.lineEdit(), "999");
        QTest::keyClick(edit.lineEdit(), Qt::Key_Return);
        QCOMPARE(edit.value(), 200);
        QCOMPARE(finished.count(), finishedBefore);
    }

    void imageViewStartsGreyAndShowsNewImages()
    {
        ShowImageForm form;
        form.resize(640, 360);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.pixmap().size(), QSize(1280, 720));
        QCOMPARE(form.pixmap().toImage().pixelColor(10, 10), QColor(0x70, 0x70, 0x70));
        QVERIFY(form.view()->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff);
        QCOMPARE(form.view()->dragMode(), QGraphicsView::ScrollHandDrag);

        QImage image(3840, 2160, QImage::Format_RGB888);
        image.fill(Qt::red);
        form.slotShowImage(image);
        QCOMPARE(form.pixmap().size(), QSize(3840, 2160));
        QCOMPARE(form.pixmap().toImage().pixelColor(5, 5), QColor(Qt::red));
        // Fitted into the view with the aspect ratio kept.
        const QRectF mapped = form.view()->mapFromScene(form.view()->sceneRect()).boundingRect();
        QVERIFY(mapped.width() <= form.view()->viewport()->width() + 2);
        QVERIFY(qAbs(mapped.width() / mapped.height() - 16.0 / 9.0) < 0.05);
    }

    void wheelZoomIsBoundedAndDoubleClickFitsAgain()
    {
        ShowImageForm form;
        form.resize(640, 360);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        VxGraphicsView* view = form.view();
        const double fitted = view->transform().m11();

        sendWheel(view->viewport(), -120);
        QCOMPARE(view->currentScale(), 1.0);
        for (int i = 0; i < 100; ++i) {
            sendWheel(view->viewport(), 120);
        }
        QVERIFY(view->currentScale() >= VxGraphicsView::kMaxScale);
        QVERIFY(view->currentScale() < VxGraphicsView::kMaxScale * VxGraphicsView::kZoomStep + 1e-9);
        QVERIFY(view->transform().m11() > fitted * 40);

        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(100, 100));
        QCOMPARE(view->currentScale(), 1.0);
        QVERIFY(qAbs(view->transform().m11() - fitted) < 1e-6);
    }
};

QTEST_MAIN(InputWidgetTest)
#include "InputWidgetTest.moc"
