#pragma once

#include <QWidget>

#include <cstdint>
#include <optional>

class VxComboBox;

namespace Ui {
class SettingDisplayItem;
}

// The display rows: how much event time a picture shows (accumulation time) and how much slower
// than real time a recording plays (slow rate). Both are editable lists; a typed value is checked
// as it is typed (accent frame when usable, error frame when not) and sent once editing ends.
class SettingDisplayItem : public QWidget
{
    Q_OBJECT

public:
    // Playback at a slow rate of 1 shows this many frames per second of event time, which the
    // engine plays in real time.
    static constexpr double kRealTimeFps = 30.0;
    static constexpr uint64_t kMaxAccumulationUs = 1000000;

    explicit SettingDisplayItem(QWidget* parent = nullptr);
    ~SettingDisplayItem() override;

    // Microseconds of an accumulation time text: a number ending in "ms" is milliseconds, one
    // ending in "us" microseconds, a bare number milliseconds. Empty unless it is 1 µs to 1 s.
    static std::optional<uint64_t> accumulationTimeUs(const QString& text);
    // The frames per second of event time of a slow rate text: the number times 30, truncated.
    // Empty unless the number lies in [0.03, 1000] and gives at least one frame a second.
    static std::optional<uint32_t> frameRateForSlowRate(const QString& text);

    // The values the fields stand for now.
    uint64_t accumulationTimeUs() const { return m_accumulationUs; }
    uint32_t frameRate() const { return m_frameRate; }
    // The live view has no slow rate: it shows what comes as it comes.
    void setSlowRateEnabled(bool enabled);

    VxComboBox* accumulationTimeField() const;
    VxComboBox* slowRateField() const;

Q_SIGNALS:
    void signalCumulativeTimeChanged(uint64_t time_us);
    void signalFpsChanged(uint32_t fps);

public Q_SLOTS:
    void slotAccumulationTimeTextChanged(const QString& text);
    void slotAccumulationTimeTextEditFinished(const QString& text);
    void slotFrameRateTextChanged(const QString& text);
    void slotFrameRateEditTextFinished(const QString& text);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyTexts();

    Ui::SettingDisplayItem* m_ui;
    uint64_t m_accumulationUs = 0;
    uint32_t m_frameRate = 0;
};
