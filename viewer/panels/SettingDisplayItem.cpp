#include "SettingDisplayItem.h"
#include "ui_SettingDisplayItem.h"

#include "VXComboBoxBase.h"
#include "VxComboBox.h"

#include <QEvent>
#include <QLineEdit>
#include <QRegularExpression>

#include <cmath>

namespace {

const QStringList kAccumulationTimes = {"33.33ms", "100ms", "10ms", "1ms"};
const QStringList kSlowRates = {"1", "2", "5", "10", "100", "1000"};
constexpr double kMinSlowRate = 0.03;
constexpr double kMaxSlowRate = 1000;

// A decimal number and an optional unit, blanks allowed around both.
const QRegularExpression kTimePattern("^\\s*([0-9]*\\.?[0-9]+)\\s*(ms|us|µs)?\\s*$",
                                      QRegularExpression::CaseInsensitiveOption);

// Fills a field with its entries and sends both its edits and its picks to the two slots.
template <typename Item>
void setUpField(VxComboBox* field, const QStringList& entries, Item* item,
                void (Item::*changed)(const QString&), void (Item::*finished)(const QString&))
{
    field->comboBox()->addItems(entries);
    field->comboBox()->setCurrentIndex(0);
    QObject::connect(field, &VxComboBox::signalLineEditTextChanged, item, changed);
    QObject::connect(field, &VxComboBox::signalLineEditEditingFinished, item, finished);
    // A pick from the list ends the edit as Return does.
    QObject::connect(field->comboBox(), &QComboBox::textActivated, item, finished);
}

// Puts `text` into the field without moving the cursor the user left there.
void replaceText(VxComboBox* field, const QString& text)
{
    QLineEdit* edit = field->lineEdit();
    if (edit->text() == text) {
        return;
    }
    const int cursor = edit->cursorPosition();
    edit->setText(text);
    edit->setCursorPosition(std::min(cursor, int(text.size())));
}

} // namespace

SettingDisplayItem::SettingDisplayItem(QWidget* parent) : QWidget(parent), m_ui(new Ui::SettingDisplayItem)
{
    m_ui->setupUi(this);
    setUpField(m_ui->widget_combobox_accumulation_time, kAccumulationTimes, this,
               &SettingDisplayItem::slotAccumulationTimeTextChanged,
               &SettingDisplayItem::slotAccumulationTimeTextEditFinished);
    setUpField(m_ui->widget_combobox_frame_rate, kSlowRates, this,
               &SettingDisplayItem::slotFrameRateTextChanged,
               &SettingDisplayItem::slotFrameRateEditTextFinished);
    m_accumulationUs = accumulationTimeUs(kAccumulationTimes.first()).value_or(0);
    m_frameRate = frameRateForSlowRate(kSlowRates.first()).value_or(0);
    applyTexts();
}

SettingDisplayItem::~SettingDisplayItem()
{
    delete m_ui;
}

VxComboBox* SettingDisplayItem::accumulationTimeField() const
{
    return m_ui->widget_combobox_accumulation_time;
}

VxComboBox* SettingDisplayItem::slowRateField() const
{
    return m_ui->widget_combobox_frame_rate;
}

std::optional<uint64_t> SettingDisplayItem::accumulationTimeUs(const QString& text)
{
    const QRegularExpressionMatch match = kTimePattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const double number = match.captured(1).toDouble();
    const bool micro = !match.captured(2).isEmpty() && match.captured(2).toLower() != "ms";
    const long long us = std::llround(micro ? number : number * 1000);
    // Below one microsecond a picture would show nothing at all.
    if (us < 1 || uint64_t(us) > kMaxAccumulationUs) {
        return std::nullopt;
    }
    return uint64_t(us);
}

std::optional<uint32_t> SettingDisplayItem::frameRateForSlowRate(const QString& text)
{
    bool isNumber = false;
    const double rate = text.trimmed().toDouble(&isNumber);
    if (!isNumber || !(rate >= kMinSlowRate && rate <= kMaxSlowRate)) {
        return std::nullopt;
    }
    // The tolerance keeps 4.1 at 123 frames where binary fractions make 122.99999...
    const auto fps = uint32_t(std::floor(rate * kRealTimeFps + 1e-9));
    // No frame a second would leave playback without a frame advance.
    if (fps < 1) {
        return std::nullopt;
    }
    return fps;
}

void SettingDisplayItem::slotAccumulationTimeTextChanged(const QString& text)
{
    accumulationTimeField()->setInputState(accumulationTimeUs(text) ? VxComboBox::InputState::Valid
                                                                    : VxComboBox::InputState::Invalid);
}

void SettingDisplayItem::slotAccumulationTimeTextEditFinished(const QString& text)
{
    const std::optional<uint64_t> us = accumulationTimeUs(text);
    if (!us) {
        return; // the error frame stays until the text is usable
    }
    // A bare number is milliseconds: say so in the field.
    const QString trimmed = text.trimmed();
    replaceText(accumulationTimeField(), trimmed.back().isDigit() ? trimmed + "ms" : trimmed);
    accumulationTimeField()->setInputState(VxComboBox::InputState::Neutral);
    // Return ends the edit and picks the text as well: one change, told once.
    if (*us != m_accumulationUs) {
        m_accumulationUs = *us;
        emit signalCumulativeTimeChanged(*us);
    }
}

void SettingDisplayItem::slotFrameRateTextChanged(const QString& text)
{
    slowRateField()->setInputState(frameRateForSlowRate(text) ? VxComboBox::InputState::Valid
                                                              : VxComboBox::InputState::Invalid);
}

void SettingDisplayItem::slotFrameRateEditTextFinished(const QString& text)
{
    const std::optional<uint32_t> fps = frameRateForSlowRate(text);
    if (!fps) {
        return;
    }
    replaceText(slowRateField(), text.trimmed());
    slowRateField()->setInputState(VxComboBox::InputState::Neutral);
    if (*fps != m_frameRate) {
        m_frameRate = *fps;
        emit signalFpsChanged(*fps);
    }
}

void SettingDisplayItem::setSlowRateEnabled(bool enabled)
{
    m_ui->lb_frame_rate->setEnabled(enabled);
    slowRateField()->setEnabled(enabled);
}

void SettingDisplayItem::applyTexts()
{
    accumulationTimeField()->setToolTip(tr(
        "Event time each picture shows: 1us to 1000ms, for example 33.33ms or 500us (a bare number is ms)"));
    slowRateField()->setToolTip(
        tr("How many times slower than real time a recording plays: 1 is real time, 0.04 to 1000"));
}

void SettingDisplayItem::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_ui->retranslateUi(this);
        applyTexts();
    }
    QWidget::changeEvent(event);
}
