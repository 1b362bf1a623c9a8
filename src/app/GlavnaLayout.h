#pragma once

// Small builders for the controls of the main window's pages: every control
// gets its objectName here, and a caption label is named "Caption_" + the
// name of the control it describes, so that tests and the enabling rules
// find it from the control.

#include <QString>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

template <typename W> W* Named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLineEdit* NewEdit(const char* name, const QString& text, int width = 70);
QPushButton* NewButton(const char* name, const QString& text);
QCheckBox* NewCheckBox(const char* name, const QString& text, bool checked = false);
QGroupBox* NewGroup(const char* name, const QString& caption);
// A label that shows a value: sunken, so that it reads as a field.
QLabel* NewValueLabel(const char* name, const QString& text = QString(), int width = 90);
QLabel* NewLabel(const char* name, const QString& text);
// The caption beside `control`, named after it.
QLabel* CaptionFor(QWidget* control, const QString& text);
// Puts `control` into column 1 of `row`, its caption (named after it) into
// column 0: the rows of label-beside-edit forms.
void AddCaptionedRow(QGridLayout* grid, int row, QWidget* control, const QString& caption);
// The caption of `control`, when it has one.
QLabel* CaptionOf(const QWidget* control);
// Enables or disables a control together with its caption.
void SetEnabledWithCaption(QWidget* control, bool enabled);
// A bold label, for the sub-headings of a page.
QLabel* NewHeading(const char* name, const QString& text);
