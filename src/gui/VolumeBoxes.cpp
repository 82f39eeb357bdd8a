#include "gui/VolumeBoxes.h"

#include "core/SettingsTable.h"
#include "core/StoredValues.h"
#include "core/ValueConversion.h"
#include "platform/SettingsStore.h"
#include "sound/Playback.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

VolumeBoxes::VolumeBoxes(StoredValues& values, SettingsStore& store, Playback& playback,
                         const bool& filling, QObject* parent)
    : QObject(parent), values_(values), store_(store), playback_(playback), filling_(filling) {}

void VolumeBoxes::attach(int index, QLineEdit* box) {
    boxes_.at(index) = box;
    box->setObjectName(QStringLiteral("txtSes_%1").arg(index));
    box->setAccessibleName(accessibleName(index));
    box->setMaxLength(3);
    box->setText(settings::sesx(index).defaultValue);
    box->installEventFilter(this);
    connect(box, &QLineEdit::textChanged, this, [this, index] { boxChanged(index); });
}

// What a screen reader says for box `index` (Sesx order), which has no caption of its own.
QString VolumeBoxes::accessibleName(int index) {
    static const char* const names[kCount] = {"İstiklal Marşı ses düzeyi",
                                              "Saygı duruşu ses düzeyi",
                                              "Siren ses düzeyi",
                                              "Müzik yayını ses düzeyi",
                                              "Öğrenci giriş anonsu ses düzeyi",
                                              "Öğretmen giriş anonsu ses düzeyi",
                                              "Çıkış anonsu ses düzeyi",
                                              "Öğrenci giriş zili ses düzeyi",
                                              "Öğretmen giriş zili ses düzeyi",
                                              "Çıkış zili ses düzeyi"};
    return QString::fromUtf8(names[index]);
}

int VolumeBoxes::indexOf(QObject* box) const {
    for (int i = 0; i < kCount; ++i) {
        if (boxes_[i] == box)
            return i;
    }
    return -1;
}

QString VolumeBoxes::correctedOnLeave(const QString& text) {
    QString result = text;
    if (result.isEmpty())
        result = QStringLiteral("70");
    if (conversion::leadingNumber(result) < 1)
        result = QStringLiteral("70");
    if (conversion::leadingNumber(result) > 100)
        result = QStringLiteral("100");
    return result;
}

bool VolumeBoxes::eventFilter(QObject* watched, QEvent* event) {
    const int index = indexOf(watched);
    if (index < 0)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return false;
        const QString text = key->text();
        if (text.isEmpty())
            return false; // arrows, Delete and the like keep their usual effect
        const QChar c = text.at(0);
        const bool accepted =
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || key->key() == Qt::Key_Backspace;
        return !accepted;
    }
    case QEvent::FocusIn:
        // After the click that gave the focus has placed the caret.
        QTimer::singleShot(0, boxes_[index], [box = boxes_[index]] { box->selectAll(); });
        return false;
    case QEvent::FocusOut:
        boxLeft(index);
        return false;
    default:
        return false;
    }
}

void VolumeBoxes::boxChanged(int index) {
    if (filling_)
        return;
    const QString text = boxes_[index]->text();
    if (text.isEmpty())
        return;
    if (const auto value = conversion::toInt16(text))
        values_.Sesx[index] = *value;
    store_.save(settings::sesx(index), QString::number(values_.Sesx[index]));
    playback_.setVolume(values_.Sesx[index]);
}

void VolumeBoxes::boxLeft(int index) {
    QLineEdit* box = boxes_[index];
    const QString corrected = correctedOnLeave(box->text());
    if (corrected != box->text())
        box->setText(corrected);
}
