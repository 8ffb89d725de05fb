#pragma once

#include <QComboBox>

// A combo box that tells when its list opens and closes, for styling its frame.
class VXComboBoxBase : public QComboBox
{
    Q_OBJECT

public:
    explicit VXComboBoxBase(QWidget* parent = nullptr);

    void showPopup() override;
    void hidePopup() override;

Q_SIGNALS:
    void popupShown();
    void popupHidden();
};
