#include "gui/PageParts.h"

#include "gui/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

namespace pageparts {

QRect toPixels(const QWidget* page, QRect twips) {
    const double dpi = page->logicalDpiY() > 0 ? page->logicalDpiY() : 96.0;
    return twips::toPixels(twips, dpi);
}

void place(QWidget* control, const QString& objectName, QRect twips) {
    control->setObjectName(objectName);
    control->setGeometry(toPixels(control->parentWidget(), twips));
}

QLabel* label(QWidget* page, const QString& objectName, const QString& text, QRect twips) {
    auto* control = new QLabel(text, page);
    place(control, objectName, twips);
    return control;
}

QLabel* heading(QWidget* page, const QString& objectName, const QString& text, QRect twips) {
    QLabel* control = label(page, objectName, text, twips);
    QFont font = control->font();
    font.setBold(true);
    control->setFont(font);
    control->setAutoFillBackground(true);
    control->setBackgroundRole(QPalette::Mid);
    control->setForegroundRole(QPalette::BrightText);
    return control;
}

QPushButton* button(QWidget* page, const QString& objectName, const QString& text, QRect twips) {
    auto* control = new QPushButton(text, page);
    place(control, objectName, twips);
    return control;
}

QCheckBox* check(QWidget* page, const QString& objectName, const QString& text, QRect twips) {
    auto* control = new QCheckBox(text, page);
    place(control, objectName, twips);
    return control;
}

} // namespace pageparts

namespace {
class FocusedWheel final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Wheel && !static_cast<QWidget*>(watched)->hasFocus()) {
            event->ignore();
            return true;
        }
        return false;
    }
};
} // namespace

namespace pageparts {

void wheelOnlyWhenFocused(QWidget* page) {
    auto* filter = new FocusedWheel(page);
    for (QComboBox* list : page->findChildren<QComboBox*>()) {
        list->setFocusPolicy(Qt::StrongFocus); // a wheel turn alone gives no focus
        list->installEventFilter(filter);
    }
}

} // namespace pageparts
