#include "TarvoSim/SyntheticScene.h"

#include <algorithm>
#include <cmath>

namespace tarvo::sim {
namespace {

constexpr int kBarCount = 6;
constexpr int kMinRun = 3;
constexpr int kMaxRun = 16;
constexpr double kRunDensity = 0.85; // share of a run's pixels that fire

double wrap(double value, double range)
{
    const double wrapped = std::fmod(value, range);
    return wrapped < 0 ? wrapped + range : wrapped;
}

} // namespace

SyntheticScene::SyntheticScene(const SceneOptions& options, uint64_t startTime)
    : m_options(options), m_startTime(startTime), m_random(options.seed), m_nextTick(startTime)
{
    if (m_options.tickUs == 0) {
        m_options.tickUs = 1;
    }
    // The chance that an event slot starts a run, so that runs hold rowRunShare of the events.
    const double share = std::clamp(m_options.rowRunShare, 0.0, 0.95);
    const double meanRun = (kMinRun + kMaxRun) / 2.0 * kRunDensity;
    m_runStart = share / (meanRun * (1 - share) + share);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < kBarCount; ++i) {
        Bar bar;
        bar.x0 = unit(m_random) * m_options.width;
        bar.y0 = unit(m_random) * m_options.height;
        bar.vx = (unit(m_random) < 0.5 ? -1 : 1) * (100 + unit(m_random) * 700);
        bar.vy = (unit(m_random) < 0.5 ? -1 : 1) * (50 + unit(m_random) * 400);
        bar.halfWidth = static_cast<uint16_t>(10 + unit(m_random) * std::max(10, m_options.width / 8));
        bar.halfHeight = static_cast<uint16_t>(10 + unit(m_random) * std::max(10, m_options.height / 6));
        m_bars.push_back(bar);
    }
}

void SyntheticScene::generate(uint64_t from, uint64_t to, std::vector<Event2D>& events,
                              std::vector<EventTriggerIn>& triggers)
{
    addTriggers(from, to, triggers);
    const double perTick = m_options.eventsPerSecond * m_options.tickUs / 1e6;
    const double perBurstTick = perTick * std::max(0.0, m_options.burstFactor);
    if (m_nextTick < from) {
        m_nextTick = from;
    }
    for (; m_nextTick < to; m_nextTick += m_options.tickUs) {
        const uint64_t offset = m_nextTick - m_startTime;
        const bool burst = offset >= m_options.burstStartUs && offset < m_options.burstEndUs;
        m_carry += burst ? perBurstTick : perTick;
        const auto budget = static_cast<int64_t>(std::floor(m_carry));
        if (budget > 0) {
            m_carry -= static_cast<double>(budget);
            m_carry += static_cast<double>(addTick(m_nextTick, budget, events));
        }
    }
}

int64_t SyntheticScene::addTick(uint64_t time, int64_t budget, std::vector<Event2D>& events)
{
    const double seconds = static_cast<double>(time - m_startTime) / 1e6;
    const int width = m_options.width;
    const int height = m_options.height;
    std::uniform_int_distribution<int> pickBar(0, kBarCount - 1);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> anyX(0, width - 1);
    std::uniform_int_distribution<int> anyY(0, height - 1);

    const size_t first = events.size();
    while (budget > 0) {
        const double choice = unit(m_random);
        const Bar& bar = m_bars[static_cast<size_t>(pickBar(m_random))];
        const double cx = wrap(bar.x0 + bar.vx * seconds, width);
        const double cy = wrap(bar.y0 + bar.vy * seconds, height);
        if (choice < m_runStart) {
            // A run along the horizontal edge of a bar moving up or down. It may take more
            // events than this tick has left; later ticks pay them back.
            const bool top = unit(m_random) < 0.5;
            const int y = static_cast<int>(cy) + (top ? -bar.halfHeight : bar.halfHeight);
            const uint8_t polarity = (top == (bar.vy > 0)) ? 0 : 1;
            const int length = kMinRun + static_cast<int>(unit(m_random) * (kMaxRun - kMinRun + 1));
            int x =
                static_cast<int>(cx) - bar.halfWidth + static_cast<int>(unit(m_random) * 2 * bar.halfWidth);
            for (const int stop = x + length; x < stop && x < width; ++x) {
                if (x >= 0 && y >= 0 && y < height && unit(m_random) < kRunDensity) {
                    events.emplace_back(static_cast<uint16_t>(x), static_cast<uint16_t>(y), polarity, time);
                    --budget;
                }
            }
        } else if (choice < m_runStart + m_options.noiseShare) {
            events.emplace_back(static_cast<uint16_t>(anyX(m_random)), static_cast<uint16_t>(anyY(m_random)),
                                static_cast<uint8_t>(m_random() & 1), time);
            --budget;
        } else {
            // A single event on the vertical edge of a bar moving sideways.
            const bool left = unit(m_random) < 0.5;
            const int x =
                std::clamp(static_cast<int>(cx) + (left ? -bar.halfWidth : bar.halfWidth), 0, width - 1);
            const int y = std::clamp(
                static_cast<int>(cy - bar.halfHeight + unit(m_random) * 2 * bar.halfHeight), 0, height - 1);
            const uint8_t polarity = (left == (bar.vx > 0)) ? 0 : 1;
            events.emplace_back(static_cast<uint16_t>(x), static_cast<uint16_t>(y), polarity, time);
            --budget;
        }
    }
    // Sensors read their pixel array out row by row, so events of one instant come ordered
    // by row and column.
    std::sort(events.begin() + static_cast<std::ptrdiff_t>(first), events.end(),
              [](const Event2D& a, const Event2D& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    return budget;
}

void SyntheticScene::addTriggers(uint64_t from, uint64_t to, std::vector<EventTriggerIn>& triggers) const
{
    if (m_options.triggerHz <= 0 || to <= from) {
        return;
    }
    const double period = 1e6 / m_options.triggerHz;
    const double offsetFrom = static_cast<double>(from - std::min(from, m_startTime));
    auto pulse = static_cast<uint64_t>(std::max(0.0, std::floor(offsetFrom / period) - 1));
    for (;; ++pulse) {
        const uint64_t rising = m_startTime + static_cast<uint64_t>(std::llround(pulse * period));
        const uint64_t falling =
            m_startTime + static_cast<uint64_t>(std::llround(pulse * period + period / 2));
        if (rising >= to) {
            break;
        }
        if (rising >= from) {
            triggers.emplace_back(0, 1, rising);
        }
        if (falling >= from && falling < to) {
            triggers.emplace_back(0, 0, falling);
        }
    }
}

} // namespace tarvo::sim
