// The picture of the polarity counts against a plain pixel-by-pixel painting of the same counts:
// every pair of counts up to the cap, in every theme, at widths that leave pixels over at the end
// of a row; and the whole way from events to the picture the engine emits.
#include "AppConfig.h"
#include "TestSupport.h"
#include "VxCountPainter.h"
#include "VxEventProcessor.h"

#include <QTest>

#include <random>
#include <vector>

namespace {

struct Theme
{
    QString name;
    QColor on;
    QColor off;
    QColor background;
};

const char* const kThemeNames[] = {"Gray", "RedBlue", "RedGreen", "Dark", "Light"};

constexpr int kCountsWidth = VxEventProcessor::kWidth;

// One pixel at a time, as the rule reads.
QImage plainPicture(const std::vector<uint16_t>& counts, QSize size, const Theme& theme)
{
    QImage picture(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const uint16_t off = counts[(size_t(y) * kCountsWidth + size_t(x)) * 2];
            const uint16_t on = counts[(size_t(y) * kCountsWidth + size_t(x)) * 2 + 1];
            picture.setPixelColor(x, y, on > off ? theme.on : (off > on ? theme.off : theme.background));
        }
    }
    return picture;
}

// The first pixel that differs, for the failure message.
QString firstDifference(const QImage& a, const QImage& b)
{
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                return QString("(%1, %2): %3 against %4")
                    .arg(x)
                    .arg(y)
                    .arg(a.pixel(x, y), 8, 16)
                    .arg(b.pixel(x, y), 8, 16);
            }
        }
    }
    return QString();
}

} // namespace

class CountPainterTest : public QObject
{
    Q_OBJECT

private:
    TestHome* m_home = nullptr;
    AppConfig* m_config = nullptr;

    // Makes `name` the configured theme and returns its colours.
    Theme useTheme(const char* name)
    {
        m_config->setDvsColorType(name);
        m_config->updateThemeColors();
        return Theme{name, m_config->onColor(), m_config->offColor(), m_config->backgroundColor()};
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_home = new TestHome;
        TestSupport::initViewerApplication();
        m_config = new AppConfig;
    }
    void cleanupTestCase()
    {
        delete m_config;
        delete m_home;
    }
    void init() { TestSupport::failOnAnyWarning(); }

    void everyPairOfCountsInEveryTheme()
    {
        // The sixteen pairs (OFF, ON) of 0 to 3 in turn along the rows, shifted by one on every
        // row so that each pair meets every position within a step of four pixels.
        std::vector<uint16_t> counts(size_t(kCountsWidth) * VxEventProcessor::kHeight * 2);
        for (int y = 0; y < VxEventProcessor::kHeight; ++y) {
            for (int x = 0; x < kCountsWidth; ++x) {
                const int pair = (x + y) % 16;
                counts[(size_t(y) * kCountsWidth + size_t(x)) * 2] = uint16_t(pair / 4);
                counts[(size_t(y) * kCountsWidth + size_t(x)) * 2 + 1] = uint16_t(pair % 4);
            }
        }
        for (const char* name : kThemeNames) {
            const Theme theme = useTheme(name);
            const VxCountPainter::Colours colours{theme.on.rgb(), theme.off.rgb(), theme.background.rgb()};
            for (const QSize size : {QSize(1280, 720), QSize(640, 480), QSize(1277, 5), QSize(3, 9)}) {
                QImage picture(size, QImage::Format_RGB32);
                picture.fill(Qt::magenta); // nothing of it may show through
                VxCountPainter::paint(counts.data(), kCountsWidth, colours, picture);
                const QImage plain = plainPicture(counts, size, theme);
                QVERIFY2(picture == plain, qPrintable(QString("%1 at %2 x %3: %4")
                                                          .arg(theme.name)
                                                          .arg(size.width())
                                                          .arg(size.height())
                                                          .arg(firstDifference(picture, plain))));
            }
        }
    }

    // Events of both polarities, many beyond the cap on busy pixels, through accumulate and
    // present: the picture is the plain painting of the counts the test keeps itself.
    void engineShowsWhatItCountedInEveryTheme()
    {
        VxEventProcessor processor(m_config);
        MainThreadSpy images(&processor, &VxEventProcessor::signalEventImage);
        std::mt19937_64 random(11);
        for (const char* name : kThemeNames) {
            const Theme theme = useTheme(name);
            std::vector<uint16_t> counts(size_t(kCountsWidth) * VxEventProcessor::kHeight * 2);
            std::vector<tarvo::Event2D> events;
            for (int i = 0; i < 400000; ++i) {
                // A quarter of the events on a small busy patch, the rest anywhere.
                const bool busy = i % 4 == 0;
                const auto x = uint16_t(busy ? 600 + random() % 8 : random() % kCountsWidth);
                const auto y = uint16_t(busy ? 300 + random() % 8 : random() % VxEventProcessor::kHeight);
                const auto polarity = uint8_t(random() % 3); // 2 is ON as well
                events.emplace_back(x, y, polarity, uint64_t(i));
                uint16_t& count = counts[(size_t(y) * kCountsWidth + x) * 2 + (polarity != 0 ? 1 : 0)];
                count = std::min<uint16_t>(count + 1, VxEventProcessor::kCountCap);
            }
            const int before = images.count();
            processor.accumulate(events.data(), events.data() + events.size());
            processor.present();
            QTRY_COMPARE(images.count(), before + 1);
            const QImage picture = images.last().at(0).value<QImage>();
            const QImage plain = plainPicture(counts, picture.size(), theme);
            QVERIFY2(picture == plain,
                     qPrintable(QString("%1: %2").arg(theme.name).arg(firstDifference(picture, plain))));
        }
    }
};

QTEST_MAIN(CountPainterTest)
#include "CountPainterTest.moc"
