#include "SidebarCameraSettingUI.h"

#include "SettingDisplayItem.h"
#include "SettingItemBox.h"

#include <QEvent>
#include <QVBoxLayout>

SidebarCameraSettingUI::SidebarCameraSettingUI(QWidget* parent)
    : QWidget(parent), m_displayBox(new SettingItemBox(tr("Display"), this)),
      m_displayItem(new SettingDisplayItem(m_displayBox))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    m_displayBox->setObjectName("box_display");
    m_displayItem->setObjectName("display_item");
    m_displayBox->addRow(m_displayItem);
    layout->addWidget(m_displayBox);
    layout->addStretch(1);
    connect(m_displayItem, &SettingDisplayItem::signalCumulativeTimeChanged, this,
            &SidebarCameraSettingUI::slotCumulativeTimeChanged);
    connect(m_displayItem, &SettingDisplayItem::signalFpsChanged, this,
            &SidebarCameraSettingUI::slotFpsChanged);
}

uint64_t SidebarCameraSettingUI::accumulationTimeUs() const
{
    return m_displayItem->accumulationTimeUs();
}

uint32_t SidebarCameraSettingUI::frameRate() const
{
    return m_displayItem->frameRate();
}

void SidebarCameraSettingUI::setSlowRateEnabled(bool enabled)
{
    m_displayItem->setSlowRateEnabled(enabled);
}

void SidebarCameraSettingUI::slotCumulativeTimeChanged(uint64_t time_us)
{
    emit signalCumulativeTimeChanged(time_us);
}

void SidebarCameraSettingUI::slotFpsChanged(uint32_t fps)
{
    emit signalFpsChanged(fps);
}

void SidebarCameraSettingUI::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_displayBox->setTitle(tr("Display"));
    }
    QWidget::changeEvent(event);
}
