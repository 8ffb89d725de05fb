// The frameless window agent: title-bar hit testing, resize edges, moving and system buttons.
#include "TestSupport.h"
#include "WidgetWindowAgent.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

// A window like the viewer's: a title bar with a label, a menu button, a custom widget and a
// close button over a body.
class FramelessWindow : public QWidget
{
public:
    FramelessWindow()
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        titleBar = new QWidget(this);
        titleBar->setFixedHeight(40);
        auto* titleLayout = new QHBoxLayout(titleBar);
        titleLayout->setContentsMargins(10, 0, 10, 0);
        title = new QLabel("Title", titleBar);
        menu = new QPushButton("File", titleBar);
        custom = new QWidget(titleBar);
        custom->setFixedSize(40, 30);
        close = new QPushButton("x", titleBar);
        titleLayout->addWidget(title);
        titleLayout->addWidget(menu);
        titleLayout->addWidget(custom);
        titleLayout->addStretch();
        titleLayout->addWidget(close);
        body = new QLabel("body", this);
        layout->addWidget(titleBar);
        layout->addWidget(body, 1);
        resize(600, 400);
    }

    QPoint centreOf(QWidget* w) const { return w->mapTo(this, w->rect().center()); }

    QWidget* titleBar;
    QLabel* title;
    QPushButton* menu;
    QWidget* custom;
    QPushButton* close;
    QLabel* body;
};

class WindowAgentTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { TestSupport::initViewerApplication(); }
    void init() { TestSupport::failOnAnyWarning(); }

    void setupMakesTheWindowFramelessOnce()
    {
        FramelessWindow window;
        QWK::WidgetWindowAgent agent;
        QVERIFY(agent.setup(&window));
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(agent.hostWidget(), &window);
        QVERIFY(!agent.setup(&window));
        QWK::WidgetWindowAgent other;
        QVERIFY(!other.setup(nullptr));
    }

    void titleBarHitTestLeavesControlsTheirClicks()
    {
        FramelessWindow window;
        QWK::WidgetWindowAgent agent;
        agent.setup(&window);
        agent.setTitleBar(window.titleBar);
        agent.setSystemButton(QWK::WindowAgentBase::Close, window.close);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QCOMPARE(agent.titleBar(), window.titleBar);
        QCOMPARE(agent.systemButton(QWK::WindowAgentBase::Close), window.close);
        QCOMPARE(agent.systemButton(QWK::WindowAgentBase::Minimize), nullptr);
        QVERIFY(agent.isCaptionAt(window.centreOf(window.title)));
        QVERIFY(agent.isCaptionAt(QPoint(300, 20)));
        QVERIFY(!agent.isCaptionAt(window.centreOf(window.close)));
        QVERIFY(!agent.isCaptionAt(window.centreOf(window.menu)));
        QVERIFY(!agent.isCaptionAt(window.centreOf(window.body)));

        // A plain widget moves the window until it is declared hit-test visible.
        QVERIFY(agent.isCaptionAt(window.centreOf(window.custom)));
        agent.setHitTestVisible(window.custom);
        QVERIFY(agent.isHitTestVisible(window.custom));
        QVERIFY(!agent.isCaptionAt(window.centreOf(window.custom)));
        agent.setHitTestVisible(window.custom, false);
        QVERIFY(agent.isCaptionAt(window.centreOf(window.custom)));

        window.titleBar->hide();
        QVERIFY(!agent.isCaptionAt(QPoint(300, 20)));
    }

    void edgesResizeExceptWhenMaximisedOrFixed()
    {
        FramelessWindow window;
        QWK::WidgetWindowAgent agent;
        agent.setup(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const int w = window.width();
        const int h = window.height();
        QCOMPARE(agent.resizeEdgesAt(QPoint(1, 200)), Qt::Edges(Qt::LeftEdge));
        QCOMPARE(agent.resizeEdgesAt(QPoint(w - 2, 200)), Qt::Edges(Qt::RightEdge));
        QCOMPARE(agent.resizeEdgesAt(QPoint(300, 0)), Qt::Edges(Qt::TopEdge));
        QCOMPARE(agent.resizeEdgesAt(QPoint(300, h - 1)), Qt::Edges(Qt::BottomEdge));
        QCOMPARE(agent.resizeEdgesAt(QPoint(0, 0)), Qt::LeftEdge | Qt::TopEdge);
        QCOMPARE(agent.resizeEdgesAt(QPoint(w - 1, h - 1)), Qt::RightEdge | Qt::BottomEdge);
        QCOMPARE(agent.resizeEdgesAt(QPoint(300, 200)), Qt::Edges());

        agent.setResizeEnabled(false);
        QCOMPARE(agent.resizeEdgesAt(QPoint(0, 0)), Qt::Edges());
        agent.setResizeEnabled(true);
        window.setFixedSize(window.size());
        QCOMPARE(agent.resizeEdgesAt(QPoint(0, 0)), Qt::Edges());
    }

    void theCursorShowsTheEdgeUnderTheMouse()
    {
        FramelessWindow window;
        QWK::WidgetWindowAgent agent;
        agent.setup(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QWindow* handle = window.windowHandle();
        QTest::mouseMove(handle, QPoint(1, 200));
        QCOMPARE(handle->cursor().shape(), Qt::SizeHorCursor);
        QTest::mouseMove(handle, QPoint(window.width() - 1, window.height() - 1));
        QCOMPARE(handle->cursor().shape(), Qt::SizeFDiagCursor);
        QTest::mouseMove(handle, QPoint(window.width() - 1, 0));
        QCOMPARE(handle->cursor().shape(), Qt::SizeBDiagCursor);
        QTest::mouseMove(handle, QPoint(300, window.height() - 2));
        QCOMPARE(handle->cursor().shape(), Qt::SizeVerCursor);
        QTest::mouseMove(handle, QPoint(300, 200));
        QCOMPARE(handle->cursor().shape(), Qt::ArrowCursor);
    }

    void draggingTheTitleBarMovesTheWindow()
    {
        FramelessWindow window;
        QWK::WidgetWindowAgent agent;
        agent.setup(&window);
        agent.setTitleBar(window.titleBar);
        window.move(100, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QWindow* handle = window.windowHandle();
        const QPoint start = handle->position();
        // The offscreen platform refuses system moves, so this drives the agent's own move.
        QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(300, 20));
        QTest::mouseMove(handle, QPoint(340, 50));
        QTRY_COMPARE(handle->position(), start + QPoint(40, 30));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(300, 20));

        // Presses on controls still reach them and do not move the window.
        QSignalSpy clicked(window.menu, &QPushButton::clicked);
        const QPoint before = handle->position();
        QTest::mouseClick(handle, Qt::LeftButton, {}, window.centreOf(window.menu));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(handle->position(), before);
    }

    void doubleClickOnTheTitleBarMaximisesAndRestores()
    {
        FramelessWindow window;
        QWK::WidgetWindowAgent agent;
        agent.setup(&window);
        agent.setTitleBar(window.titleBar);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(300, 20));
        QTRY_VERIFY(window.isMaximized());
        QCOMPARE(agent.resizeEdgesAt(QPoint(0, 0)), Qt::Edges());
        QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, QPoint(300, 20));
        QTRY_VERIFY(!window.isMaximized());
    }

    void windowIconButtonAsksForTheSystemMenu()
    {
        FramelessWindow window;
        QWK::WidgetWindowAgent agent;
        agent.setup(&window);
        agent.setTitleBar(window.titleBar);
        auto* icon = new QPushButton("icon", window.titleBar);
        window.titleBar->layout()->addWidget(icon);
        agent.setSystemButton(QWK::WindowAgentBase::WindowIcon, icon);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy spy(&agent, &QWK::WidgetWindowAgent::systemMenuRequested);
        QTest::mouseClick(icon, Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toPoint(), icon->mapToGlobal(icon->rect().bottomLeft()));
    }

    void destroyedHitTestWidgetsAreForgotten()
    {
        FramelessWindow window;
        QWK::WidgetWindowAgent agent;
        agent.setup(&window);
        auto* temporary = new QWidget(window.titleBar);
        agent.setHitTestVisible(temporary);
        delete temporary;
        QVERIFY(!agent.isHitTestVisible(temporary));
    }
};

QTEST_MAIN(WindowAgentTest)
#include "WindowAgentTest.moc"
