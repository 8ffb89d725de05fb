#include "SettingItemBox.h"
#include "ui_SettingItemBox.h"

#include <QMouseEvent>
#include <QRegularExpression>

namespace {

// The style sheet with `property` set to `value`: an existing declaration is replaced, a
// missing one appended inside the rule.
QString withDeclaration(QString sheet, const QString& property, const QString& value)
{
    const QRegularExpression declaration(QString("%1\\s*:[^;]*;").arg(QRegularExpression::escape(property)));
    const QString replacement = property + ": " + value + ";";
    if (sheet.contains(declaration)) {
        return sheet.replace(declaration, replacement);
    }
    const int close = sheet.lastIndexOf('}');
    return close < 0 ? sheet + replacement : sheet.insert(close, " " + replacement + " ");
}

} // namespace

SettingItemBox::SettingItemBox(const QString& title, QWidget* parent)
    : QWidget(parent), m_ui(new Ui::SettingItemBox)
{
    m_ui->setupUi(this);
    setTitle(title);
    m_ui->widget_setting_box_title->installEventFilter(this);
    setFolded(true);
}

SettingItemBox::~SettingItemBox()
{
    delete m_ui;
}

void SettingItemBox::addRow(QWidget* row)
{
    m_ui->layout_container->addWidget(row);
}

QString SettingItemBox::title() const
{
    return m_ui->lb_setting_box_title_text->text();
}

void SettingItemBox::setTitle(const QString& title)
{
    m_ui->lb_setting_box_title_text->setText(title);
}

bool SettingItemBox::isFolded() const
{
    return !m_ui->pb_fold->isChecked();
}

void SettingItemBox::setFolded(bool folded)
{
    m_ui->pb_fold->setChecked(!folded);
    on_pb_fold_clicked(!folded);
}

void SettingItemBox::on_pb_fold_clicked(bool checked)
{
    m_ui->widget_container->setVisible(checked);
    QWidget* title = m_ui->widget_setting_box_title;
    QString sheet = title->styleSheet();
    sheet = withDeclaration(sheet, "border-left", checked ? "2px solid #004B6A" : "0px solid #004B6A");
    sheet = withDeclaration(sheet, "background", checked ? "#E1E9ED" : "#F4F5F7");
    title->setStyleSheet(sheet);
}

bool SettingItemBox::eventFilter(QObject* watched, QEvent* event)
{
    // The whole title bar folds and unfolds, not only the small arrow.
    if (watched == m_ui->widget_setting_box_title && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        m_ui->pb_fold->click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
