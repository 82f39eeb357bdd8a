#pragma once

#include <QRect>
#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

// Controls placed on a page at positions given in twips.
namespace pageparts {

QRect toPixels(const QWidget* page, QRect twips);
void place(QWidget* control, const QString& objectName, QRect twips);
QLabel* label(QWidget* page, const QString& objectName, const QString& text, QRect twips);
QLabel* heading(QWidget* page, const QString& objectName, const QString& text, QRect twips);
QPushButton* button(QWidget* page, const QString& objectName, const QString& text, QRect twips);
QCheckBox* check(QWidget* page, const QString& objectName, const QString& text, QRect twips);

// The page's lists take the mouse wheel only when focused: scrolling over
// the window must not change a bell's melody or a delay by accident.
void wheelOnlyWhenFocused(QWidget* page);

// "name_index", the object name of element `index` of a control array.
inline QString item(const char* name, int index) {
    return QString::fromLatin1(name) + QLatin1Char('_') + QString::number(index);
}

} // namespace pageparts
