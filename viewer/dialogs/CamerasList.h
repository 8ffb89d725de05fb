#pragma once

#include "TarvoHal/CameraDescription.h"

#include <QDialog>

#include <vector>

class QListWidget;
class QListWidgetItem;

namespace QWK {
class WidgetWindowAgent;
}
namespace Ui {
class CamerasList;
}

// Lets the user pick one of the cameras a search found, before it is opened. The search field
// narrows the list to the cameras whose serial, product or address contains its text.
class CamerasList : public QDialog
{
    Q_OBJECT

public:
    CamerasList(const std::vector<tarvo::CameraDescription>& cameras, QWidget* parent = nullptr);
    ~CamerasList() override;

    // The index, in the list given, of the camera picked; -1 for none.
    int selectedIndex() const;

    // Adds a camera to a list as the camera dialogs show it: its icon and serial, with its
    // description as the tip.
    static QListWidgetItem* addCameraItem(QListWidget* list, const tarvo::CameraDescription& camera);
    // The product and how the camera is attached: "Kestrel (USB)", "Kestrel (Ethernet 10.0.0.5)".
    static QString describe(const tarvo::CameraDescription& camera);

public Q_SLOTS:
    // Accepts only with a camera picked.
    void accept() override;
    void on_pb_win_close_clicked();
    void on_pb_close_clicked();
    void on_pb_open_clicked();
    void on_pb_searc_camera_clicked();
    void on_le_search_camera_textChanged(const QString& text);
    void on_listWidget_cameras_itemDoubleClicked(QListWidgetItem* item);
    void on_listWidget_cameras_currentRowChanged(int row);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyTexts();

    Ui::CamerasList* m_ui;
    QWK::WidgetWindowAgent* m_windowAgent;
    std::vector<tarvo::CameraDescription> m_cameras;
};
