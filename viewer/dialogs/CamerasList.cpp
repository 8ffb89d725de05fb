#include "CamerasList.h"
#include "ui_CamerasList.h"

#include "VxDialogFrame.h"
#include "WidgetWindowAgent.h"

#include <QEvent>
#include <QShowEvent>

namespace {

// Where an item's camera stands in the list the dialog was given.
constexpr int kIndexRole = Qt::UserRole;

} // namespace

CamerasList::CamerasList(const std::vector<tarvo::CameraDescription>& cameras, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::CamerasList), m_windowAgent(new QWK::WidgetWindowAgent(this)),
      m_cameras(cameras)
{
    m_ui->setupUi(this);
    VxDialogFrame::setUp(this, m_windowAgent, m_ui->widget_title_bar, m_ui->pb_win_close);
    m_ui->pb_open->setDefault(true);
    for (size_t i = 0; i < m_cameras.size(); ++i) {
        addCameraItem(m_ui->listWidget_cameras, m_cameras[i])->setData(kIndexRole, int(i));
    }
    m_ui->listWidget_cameras->setCurrentRow(0);
    applyTexts();
    on_listWidget_cameras_currentRowChanged(m_ui->listWidget_cameras->currentRow());
}

CamerasList::~CamerasList()
{
    delete m_ui;
}

QListWidgetItem* CamerasList::addCameraItem(QListWidget* list, const tarvo::CameraDescription& camera)
{
    auto* item = new QListWidgetItem(QIcon(":/img/assets/btn_camera.svg"),
                                     QString::fromStdString(camera.serial), list);
    item->setToolTip(describe(camera));
    return item;
}

QString CamerasList::describe(const tarvo::CameraDescription& camera)
{
    const QString attached = camera.interfaceType == tarvo::ETHERNET
                                 ? tr("Ethernet %1").arg(QString::fromStdString(camera.ipAddress))
                                 : tr("USB");
    return QString("%1 (%2)").arg(QString::fromStdString(camera.productName), attached);
}

void CamerasList::applyTexts()
{
    m_ui->lb_title->setText(tr("Camera List"));
    m_ui->lb_heading->setText(tr("Open a camera"));
    m_ui->le_search_camera->setPlaceholderText(tr("Search Cameras..."));
    m_ui->pb_close->setText(tr("Close"));
    m_ui->pb_open->setText(tr("Open"));
    m_ui->lb_empty->setText(m_cameras.empty()
                                ? tr("No camera was found. Check that it is plugged in, then open "
                                     "this list again.")
                                : QString());
    m_ui->lb_empty->setVisible(m_cameras.empty());
}

int CamerasList::selectedIndex() const
{
    const QListWidgetItem* item = m_ui->listWidget_cameras->currentItem();
    return item && !item->isHidden() ? item->data(kIndexRole).toInt() : -1;
}

void CamerasList::accept()
{
    if (selectedIndex() >= 0) {
        QDialog::accept();
    }
}

void CamerasList::on_pb_win_close_clicked()
{
    reject();
}

void CamerasList::on_pb_close_clicked()
{
    reject();
}

void CamerasList::on_pb_open_clicked()
{
    accept();
}

void CamerasList::on_listWidget_cameras_itemDoubleClicked(QListWidgetItem* item)
{
    m_ui->listWidget_cameras->setCurrentItem(item);
    accept();
}

void CamerasList::on_pb_searc_camera_clicked()
{
    on_le_search_camera_textChanged(m_ui->le_search_camera->text());
}

void CamerasList::on_le_search_camera_textChanged(const QString& text)
{
    QListWidget* list = m_ui->listWidget_cameras;
    const QString wanted = text.trimmed();
    for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem* item = list->item(row);
        const tarvo::CameraDescription& camera = m_cameras[size_t(item->data(kIndexRole).toInt())];
        const bool shown = wanted.isEmpty() ||
                           QString::fromStdString(camera.serial).contains(wanted, Qt::CaseInsensitive) ||
                           QString::fromStdString(camera.productName).contains(wanted, Qt::CaseInsensitive) ||
                           QString::fromStdString(camera.ipAddress).contains(wanted, Qt::CaseInsensitive);
        item->setHidden(!shown);
    }
    // The selection follows the filter: the first camera still shown, or none.
    QListWidgetItem* current = list->currentItem();
    if (!current || current->isHidden()) {
        list->setCurrentRow(-1);
        for (int row = 0; row < list->count(); ++row) {
            if (!list->item(row)->isHidden()) {
                list->setCurrentRow(row);
                break;
            }
        }
    }
    on_listWidget_cameras_currentRowChanged(list->currentRow());
}

void CamerasList::on_listWidget_cameras_currentRowChanged(int row)
{
    Q_UNUSED(row);
    m_ui->pb_open->setEnabled(selectedIndex() >= 0);
}

void CamerasList::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QWidget* over = parentWidget()) {
        const QPoint center = over->mapToGlobal(over->rect().center());
        move(center - QPoint(width() / 2, height() / 2));
    }
}

void CamerasList::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        applyTexts();
    }
    QDialog::changeEvent(event);
}
