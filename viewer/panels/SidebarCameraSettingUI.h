#pragma once

#include <QWidget>

#include <cstdint>

class SettingDisplayItem;
class SettingItemBox;

// The side bar's display panel: how much event time a picture shows and how fast a recording
// plays. Its two signals drive the playback engine now and the live view once a camera is open.
class SidebarCameraSettingUI : public QWidget
{
    Q_OBJECT

public:
    explicit SidebarCameraSettingUI(QWidget* parent = nullptr);

    SettingDisplayItem* displayItem() const { return m_displayItem; }
    SettingItemBox* displayBox() const { return m_displayBox; }
    // The values the panel shows, for whoever starts showing events.
    uint64_t accumulationTimeUs() const;
    uint32_t frameRate() const;
    // A live camera has no slow rate.
    void setSlowRateEnabled(bool enabled);

Q_SIGNALS:
    void signalCumulativeTimeChanged(uint64_t time_us);
    void signalFpsChanged(uint32_t fps);

public Q_SLOTS:
    void slotCumulativeTimeChanged(uint64_t time_us);
    void slotFpsChanged(uint32_t fps);

protected:
    void changeEvent(QEvent* event) override;

private:
    SettingItemBox* m_displayBox;
    SettingDisplayItem* m_displayItem;
};
