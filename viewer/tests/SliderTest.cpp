// The timeline slider and the click-to-jump slider, driven by synthetic mouse events.
#include "TestSupport.h"
#include "VxSlider.h"
#include "VxThreeHandleSlider.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

class SliderTest : public QObject
{
    Q_OBJECT

private:
    // A horizontal timeline 400 px long over [1000, 5000] with the given handles.
    static void prepare(VxThreeHandleSlider& slider, int mode, uint64_t lower, uint64_t center,
                        uint64_t upper)
    {
        slider.resize(400, 24);
        slider.setMinimum(1000);
        slider.setMaximum(5000);
        slider.setMode(mode);
        // The range handles are limited by the centre, so the centre goes first.
        slider.setCenterValue(center);
        slider.setLowerValue(lower);
        slider.setUpperValue(upper);
    }

    static QPoint pointFor(const VxThreeHandleSlider& slider, uint64_t value)
    {
        return QPoint(qRound(slider.positionForValue(value)), slider.height() / 2);
    }

private Q_SLOTS:
    void initTestCase() { TestSupport::initViewerApplication(); }
    void init() { TestSupport::failOnAnyWarning(); }

    void centerValueIsClampedIntoTheRange()
    {
        VxThreeHandleSlider slider;
        prepare(slider, VxThreeHandleSlider::CenterAndRange, 2000, 3000, 4000);
        slider.setCenterValue(1500);
        QCOMPARE(slider.centerValue(), uint64_t(2000));
        slider.setCenterValue(4500);
        QCOMPARE(slider.centerValue(), uint64_t(4000));
        slider.setCenterValue(0);
        QCOMPARE(slider.centerValue(), uint64_t(2000));
    }

    void rangeHandlesStopAtTheCenterInRangeModeAndAtTheEnds()
    {
        VxThreeHandleSlider slider;
        prepare(slider, VxThreeHandleSlider::CenterAndRange, 2000, 3000, 4000);
        slider.setLowerValue(3500);
        QCOMPARE(slider.lowerValue(), uint64_t(3000));
        slider.setLowerValue(10);
        QCOMPARE(slider.lowerValue(), uint64_t(1000));
        slider.setUpperValue(2500);
        QCOMPARE(slider.upperValue(), uint64_t(3000));
        slider.setUpperValue(9000);
        QCOMPARE(slider.upperValue(), uint64_t(5000));
        QCOMPARE(slider.rangeStart(), uint64_t(1000));
        QCOMPARE(slider.rangeEnd(), uint64_t(5000));
    }

    void centerOnlyModeLimitsRangeHandlesByEachOtherAndReportsTheWholeSpan()
    {
        VxThreeHandleSlider slider;
        prepare(slider, VxThreeHandleSlider::CenterOnly, 1000, 3000, 5000);
        slider.setLowerValue(4000);
        QCOMPARE(slider.lowerValue(), uint64_t(4000));
        // The position never leaves the range it lies in.
        QCOMPARE(slider.centerValue(), uint64_t(4000));
        QCOMPARE(slider.rangeStart(), uint64_t(1000));
        QCOMPARE(slider.rangeEnd(), uint64_t(5000));
    }

    void switchingModesResetsBothRangeHandlesToTheEnds()
    {
        VxThreeHandleSlider slider;
        prepare(slider, VxThreeHandleSlider::CenterAndRange, 2000, 3000, 4000);
        QSignalSpy lowerSpy(&slider, &VxThreeHandleSlider::lowerValueChanged);
        QSignalSpy upperSpy(&slider, &VxThreeHandleSlider::upperValueChanged);
        slider.setMode(VxThreeHandleSlider::CenterOnly);
        slider.setMode(VxThreeHandleSlider::CenterAndRange);
        QCOMPARE(slider.lowerValue(), uint64_t(1000));
        QCOMPARE(slider.upperValue(), uint64_t(5000));
        QCOMPARE(lowerSpy.count(), 2);
        QCOMPARE(upperSpy.count(), 2);
        QCOMPARE(lowerSpy.last().at(0).value<uint64_t>(), uint64_t(1000));
        QCOMPARE(upperSpy.last().at(0).value<uint64_t>(), uint64_t(5000));
        QCOMPARE(slider.centerValue(), uint64_t(3000));
    }

    void settingTheEndsEmitsRangeChanged()
    {
        VxThreeHandleSlider slider;
        QSignalSpy spy(&slider, &VxThreeHandleSlider::rangeChanged);
        slider.setMinimum(10);
        slider.setMaximum(90);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.last().at(0).value<uint64_t>(), uint64_t(10));
        QCOMPARE(spy.last().at(1).value<uint64_t>(), uint64_t(90));
        QCOMPARE(slider.span(), uint64_t(80));
    }

    void loadingALaterRecordingSelectsItWhole()
    {
        // The engine sets the start, then the end, of each recording it opens.
        VxThreeHandleSlider slider;
        slider.setMinimum(0);
        slider.setMaximum(100);
        slider.setCenterValue(50);
        slider.setMinimum(500);
        slider.setMaximum(900);
        QCOMPARE(slider.lowerValue(), uint64_t(500));
        QCOMPARE(slider.upperValue(), uint64_t(900));
        slider.setCenterValue(800);
        QCOMPARE(slider.centerValue(), uint64_t(800));
    }

    void handlePositionsAreLinearInTheValue()
    {
        VxThreeHandleSlider slider;
        prepare(slider, VxThreeHandleSlider::CenterOnly, 1000, 1000, 5000);
        const double start = slider.positionForValue(1000);
        const double end = slider.positionForValue(5000);
        QVERIFY(end > start + 300);
        QCOMPARE(slider.positionForValue(3000), (start + end) / 2);
        QCOMPARE(slider.valueForPosition(slider.positionForValue(2000)), uint64_t(2000));
        QCOMPARE(slider.valueForPosition(-50), uint64_t(1000));
        QCOMPARE(slider.valueForPosition(10000), uint64_t(5000));
    }

    void aTrackClickMovesTheCenterWithinTheRange()
    {
        VxThreeHandleSlider slider;
        prepare(slider, VxThreeHandleSlider::CenterAndRange, 2000, 2500, 4000);
        QSignalSpy clickSpy(&slider, &VxThreeHandleSlider::centerValueTrackClick);
        const uint64_t target = 3500;
        QTest::mousePress(&slider, Qt::LeftButton, {}, pointFor(slider, target));
        QCOMPARE(clickSpy.count(), 1);
        const uint64_t clicked = clickSpy.at(0).at(0).value<uint64_t>();
        QVERIFY2(clicked > target - 20 && clicked < target + 20, qPrintable(QString::number(clicked)));
        QCOMPARE(slider.centerValue(), clicked);
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, pointFor(slider, target));

        // Outside the selected range the click lands on the range's end.
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(slider.width() - 2, 12));
        QCOMPARE(clickSpy.count(), 2);
        QCOMPARE(clickSpy.at(1).at(0).value<uint64_t>(), uint64_t(4000));
    }

    void theCenterHandleWinsWhereHandlesOverlap()
    {
        VxThreeHandleSlider slider;
        prepare(slider, VxThreeHandleSlider::CenterAndRange, 2000, 2000, 4000);
        QSignalSpy moveSpy(&slider, &VxThreeHandleSlider::centerValueMove);
        QSignalSpy lowerSpy(&slider, &VxThreeHandleSlider::lowerValueChanged);
        QSignalSpy clickSpy(&slider, &VxThreeHandleSlider::centerValueTrackClick);
        QTest::mousePress(&slider, Qt::LeftButton, {}, pointFor(slider, 2000));
        QTest::mouseMove(&slider, pointFor(slider, 3000));
        QCOMPARE(clickSpy.count(), 0);
        QCOMPARE(lowerSpy.count(), 0);
        QVERIFY(moveSpy.count() >= 1);
        const uint64_t moved = moveSpy.last().at(0).value<uint64_t>();
        QVERIFY2(moved > 2950 && moved < 3050, qPrintable(QString::number(moved)));
        QCOMPARE(slider.lowerValue(), uint64_t(2000));
        QSignalSpy changedSpy(&slider, &VxThreeHandleSlider::centerValueChanged);
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, pointFor(slider, 3000));
        QCOMPARE(changedSpy.count(), 1);
    }

    void draggingTheCenterStopsAtTheRangeHandles()
    {
        VxThreeHandleSlider slider;
        prepare(slider, VxThreeHandleSlider::CenterAndRange, 2000, 3000, 4000);
        QSignalSpy moveSpy(&slider, &VxThreeHandleSlider::centerValueMove);
        QTest::mousePress(&slider, Qt::LeftButton, {}, pointFor(slider, 3000));
        QTest::mouseMove(&slider, QPoint(slider.width() - 1, 12));
        QCOMPARE(moveSpy.last().at(0).value<uint64_t>(), uint64_t(4000));
        QTest::mouseMove(&slider, QPoint(0, 12));
        QCOMPARE(moveSpy.last().at(0).value<uint64_t>(), uint64_t(2000));
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(0, 12));
    }

    void rangeHandlesAreDraggedOnlyInRangeModeAndStopAtTheCenter()
    {
        VxThreeHandleSlider slider;
        prepare(slider, VxThreeHandleSlider::CenterAndRange, 2000, 3000, 4000);
        QSignalSpy lowerSpy(&slider, &VxThreeHandleSlider::lowerValueChanged);
        QSignalSpy upperSpy(&slider, &VxThreeHandleSlider::upperValueChanged);
        QTest::mousePress(&slider, Qt::LeftButton, {}, pointFor(slider, 2000));
        QTest::mouseMove(&slider, pointFor(slider, 1500));
        QCOMPARE(lowerSpy.count(), 1);
        QVERIFY(slider.lowerValue() < 1600 && slider.lowerValue() > 1400);
        QTest::mouseMove(&slider, pointFor(slider, 4500));
        QCOMPARE(slider.lowerValue(), uint64_t(3000));
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, pointFor(slider, 4500));

        QTest::mousePress(&slider, Qt::LeftButton, {}, pointFor(slider, 4000));
        QTest::mouseMove(&slider, pointFor(slider, 4800));
        QCOMPARE(upperSpy.count(), 1);
        QVERIFY(slider.upperValue() > 4700 && slider.upperValue() < 4900);
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, pointFor(slider, 4800));

        // In centre-only mode the same press on the range end is a track click.
        slider.setMode(VxThreeHandleSlider::CenterOnly);
        slider.setCenterValue(3000);
        QSignalSpy clickSpy(&slider, &VxThreeHandleSlider::centerValueTrackClick);
        lowerSpy.clear();
        QTest::mousePress(&slider, Qt::LeftButton, {}, pointFor(slider, 1000));
        QCOMPARE(clickSpy.count(), 1);
        QCOMPARE(lowerSpy.count(), 0);
    }

    void draggedHandlesShowTheirValue()
    {
        VxThreeHandleSlider slider;
        prepare(slider, VxThreeHandleSlider::CenterAndRange, 2000, 3000, 4000);
        slider.setValueFormatter([](uint64_t value) { return QString("at %1").arg(value); });
        slider.show();
        QVERIFY(QTest::qWaitForWindowExposed(&slider));
        const QPoint from = pointFor(slider, 2000);
        QTest::mousePress(&slider, Qt::LeftButton, {}, from);
        QTest::mouseMove(&slider, pointFor(slider, 1500));
        QVERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QString("at %1").arg(slider.lowerValue()));
        QTest::mouseMove(&slider, pointFor(slider, 2500));
        QCOMPARE(QToolTip::text(), QString("at %1").arg(slider.lowerValue()));
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, pointFor(slider, 2500));
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    void anEmptyRangeDoesNotDivideByZero()
    {
        VxThreeHandleSlider slider;
        slider.resize(200, 24);
        slider.setMinimum(7);
        slider.setMaximum(7);
        QSignalSpy clickSpy(&slider, &VxThreeHandleSlider::centerValueTrackClick);
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(150, 12));
        QCOMPARE(clickSpy.count(), 1);
        QCOMPARE(clickSpy.at(0).at(0).value<uint64_t>(), uint64_t(7));
    }

    void verticalTimelineGrowsUpwards()
    {
        VxThreeHandleSlider slider(Qt::Vertical);
        slider.resize(24, 400);
        slider.setMinimum(0);
        slider.setMaximum(1000);
        QSignalSpy clickSpy(&slider, &VxThreeHandleSlider::centerValueTrackClick);
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(12, 40));
        QVERIFY(clickSpy.at(0).at(0).value<uint64_t>() > 850);
    }

    void clickToJumpSliderJumpsToTheClickedValue()
    {
        VxSlider slider(Qt::Horizontal);
        slider.resize(300, 20);
        slider.setRange(0, 1000);
        slider.setValue(0);
        QSignalSpy spy(&slider, &VxSlider::trackClicked);
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(225, 10));
        QCOMPARE(spy.count(), 1);
        const int value = spy.at(0).at(0).toInt();
        QCOMPARE(slider.value(), value);
        // Three quarters along the track, give or take the handle's width.
        QVERIFY2(value > 700 && value < 800, qPrintable(QString::number(value)));
        // The press became a drag of the handle, not a page step.
        QTest::mouseMove(&slider, QPoint(150, 10));
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(150, 10));
        QVERIFY2(slider.value() > 400 && slider.value() < 600, qPrintable(QString::number(slider.value())));
    }

    void clickToJumpSliderClampsAtTheEnds()
    {
        VxSlider slider(Qt::Horizontal);
        slider.resize(300, 20);
        slider.setRange(-50, 50);
        QSignalSpy spy(&slider, &VxSlider::trackClicked);
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(0, 10));
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(0, 10));
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(299, 10));
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(299, 10));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toInt(), -50);
        QCOMPARE(spy.at(1).at(0).toInt(), 50);
    }

    void rightClicksDoNotJump()
    {
        VxSlider slider(Qt::Horizontal);
        slider.resize(300, 20);
        slider.setRange(0, 100);
        QSignalSpy spy(&slider, &VxSlider::trackClicked);
        QTest::mousePress(&slider, Qt::RightButton, {}, QPoint(200, 10));
        QCOMPARE(spy.count(), 0);
    }
};

QTEST_MAIN(SliderTest)
#include "SliderTest.moc"
