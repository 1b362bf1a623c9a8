#include "app/GlavnaLayout.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVariant>

namespace {
constexpr const char* CaptionProperty = "varkolCaption";
}

QLineEdit* NewEdit(const char* name, const QString& text, int width)
{
    auto* edit = Named(new QLineEdit(text), name);
    edit->setFixedWidth(width);
    return edit;
}

QPushButton* NewButton(const char* name, const QString& text)
{
    return Named(new QPushButton(text), name);
}

QCheckBox* NewCheckBox(const char* name, const QString& text, bool checked)
{
    auto* box = Named(new QCheckBox(text), name);
    box->setChecked(checked);
    return box;
}

QGroupBox* NewGroup(const char* name, const QString& caption)
{
    return Named(new QGroupBox(caption), name);
}

QLabel* NewValueLabel(const char* name, const QString& text, int width)
{
    auto* label = Named(new QLabel(text), name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(width);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLabel* NewLabel(const char* name, const QString& text)
{
    return Named(new QLabel(text), name);
}

QLabel* CaptionFor(QWidget* control, const QString& text)
{
    auto* label = new QLabel(text);
    label->setObjectName(QStringLiteral("Caption_") + control->objectName());
    label->setBuddy(control);
    control->setProperty(CaptionProperty, QVariant::fromValue<QObject*>(label));
    return label;
}

void AddCaptionedRow(QGridLayout* grid, int row, QWidget* control, const QString& caption)
{
    grid->addWidget(CaptionFor(control, caption), row, 0);
    grid->addWidget(control, row, 1);
}

QLabel* CaptionOf(const QWidget* control)
{
    return qobject_cast<QLabel*>(control->property(CaptionProperty).value<QObject*>());
}

void SetEnabledWithCaption(QWidget* control, bool enabled)
{
    control->setEnabled(enabled);
    if (QLabel* caption = CaptionOf(control))
        caption->setEnabled(enabled);
}

QLabel* NewHeading(const char* name, const QString& text)
{
    auto* label = NewLabel(name, text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}
