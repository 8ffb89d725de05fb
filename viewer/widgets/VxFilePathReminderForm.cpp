#include "VxFilePathReminderForm.h"
#include "ui_VxFilePathReminderForm.h"

#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QUrl>

namespace {

struct TypeStyle
{
    const char* title;
    const char* colour;
    const char* background;
    const char* icon;
};

TypeStyle styleFor(VxMessageType type)
{
    switch (type) {
    case Warning:
        return {QT_TRANSLATE_NOOP("VxFilePathReminderForm", "Warning"), "#F9BF37", "#FEFBF4",
                ":/img/icon/icon_toasts_warning.svg"};
    case Error:
        return {QT_TRANSLATE_NOOP("VxFilePathReminderForm", "Error"), "#FF6058", "#FFF6F6",
                ":/img/icon/icon_toasts_error.svg"};
    case Success:
    default:
        return {QT_TRANSLATE_NOOP("VxFilePathReminderForm", "Success"), "#58DB6D", "#F5FCF6",
                ":/img/icon/icon_toasts_success.svg"};
    }
}

} // namespace

VxFilePathReminderForm::VxFilePathReminderForm(const QString& text, VxMessageType type,
                                               const QString& filePath, QWidget* parent)
    : QWidget(parent), m_ui(new Ui::VxFilePathReminderForm), m_type(type), m_filePath(filePath)
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    m_ui->lb_show_tips->setText(text);
    m_ui->pb_open_dir->setVisible(!m_filePath.isEmpty());
    applyType();
    adjustSize();

    m_lifetimeTimer.setSingleShot(true);
    connect(&m_lifetimeTimer, &QTimer::timeout, this, &VxFilePathReminderForm::onTimeupDestroy);
    m_lifetimeTimer.start(kLifetimeMs);
}

VxFilePathReminderForm::~VxFilePathReminderForm()
{
    delete m_ui;
}

void VxFilePathReminderForm::applyType()
{
    const TypeStyle style = styleFor(m_type);
    m_ui->lb_tips_type->setText(tr(style.title));
    m_ui->lb_tips_type->setStyleSheet(QString("color: %1;").arg(style.colour));
    m_ui->frame_tips->setStyleSheet(
        QString("#frame_tips { border-radius: 6px; border: 1px solid %1; background: %2; }")
            .arg(style.colour, style.background));
    m_ui->lb_tips_icon->setPixmap(QPixmap(style.icon));
}

void VxFilePathReminderForm::onTimeupDestroy()
{
    m_lifetimeTimer.stop();
    close();
    // WA_DeleteOnClose does not apply to a toast that was never shown.
    deleteLater();
}

void VxFilePathReminderForm::on_pb_open_dir_clicked()
{
    // A notice may name the file just written; the button promises its folder.
    const QFileInfo info(m_filePath);
    const QString directory = info.isFile() ? info.absolutePath() : m_filePath;
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(directory))) {
        return;
    }
    qDebug() << "Failed to open directory.";
    // The user asked for something that did not happen: say so, and where the folder is.
    m_type = Error;
    m_filePath.clear();
    m_ui->lb_show_tips->setText(
        tr("No file manager could open %1.").arg(QDir::toNativeSeparators(directory)));
    m_ui->pb_open_dir->hide();
    applyType();
    adjustSize();
    m_lifetimeTimer.start(kLifetimeMs);
}

void VxFilePathReminderForm::on_pb_close_clicked()
{
    onTimeupDestroy();
}

void VxFilePathReminderForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_ui->retranslateUi(this);
        applyType();
    }
    QWidget::changeEvent(event);
}
