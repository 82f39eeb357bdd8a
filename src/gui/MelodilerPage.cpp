#include "gui/MelodilerPage.h"

#include "core/SettingsTable.h"
#include "core/StoredValues.h"
#include "core/ValueConversion.h"
#include "gui/PageParts.h"
#include "gui/VolumeBoxes.h"
#include "platform/SettingsStore.h"
#include "sound/Bells.h"
#include "sound/Playback.h"
#include "sound/SongFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace pageparts;

MelodilerPage::MelodilerPage(const PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    const QString headings[3] = {QStringLiteral(" Öğrenci Zili"), QStringLiteral(" Öğretmen Zili"),
                                 QStringLiteral(" Çıkış Zili")};
    const int melodyLabels[3][2] = {{6, 7}, {10, 11}, {12, 13}};
    for (int k = 0; k < 3; ++k) {
        const int top = 1500 * k;
        heading(this, item("Label3", 2 + k), headings[k], {60, top, 4320, 240});
        auto* list = new QComboBox(this);
        place(list, item("cmbZil", k), {60, top + 300, 3360, 345});
        list->setEditable(false);
        melodyLists_[k] = list;
        previewButtons_[k] =
            button(this, item("cmdDinle", k), QStringLiteral("Dinle"), {3480, top + 285, 900, 375});

        // Melody volume.
        label(this, item("lblSes", melodyLabels[k][0]), QStringLiteral("Ses:"),
              {120, top + 780, 390, 285});
        auto* melodyVolume = new QLineEdit(this);
        place(melodyVolume, QString(), {510, top + 750, 420, 315});
        context_.volumeBoxes.attach(7 + k, melodyVolume);
        label(this, item("lblSes", melodyLabels[k][1]), QStringLiteral("%"),
              {960, top + 780, 240, 285});

        // Announcement switch and volume.
        announcementBoxes_[k] = check(this, item("chkAnons", k), QStringLiteral("Anonslu"),
                                      {1560, top + 765, 1140, 285});
        announcementSes_[k] = label(this, item("lblSes", 20 + k), QStringLiteral("Ses:"),
                                    {2760, top + 780, 390, 285});
        auto* announcementVolume = new QLineEdit(this);
        place(announcementVolume, QString(), {3150, top + 750, 420, 315});
        context_.volumeBoxes.attach(4 + k, announcementVolume);
        announcementPercent_[k] =
            label(this, item("lblSes", 30 + k), QStringLiteral("%"), {3600, top + 780, 240, 285});

        connect(list, &QComboBox::activated, this, [this, k] { melodyChosen(k); });
        connect(previewButtons_[k], &QPushButton::clicked, this, [this, k] { preview(k); });
        connect(announcementBoxes_[k], &QCheckBox::clicked, this,
                [this, k] { announcementToggled(k); });
    }
    silentFirstBellBox_ =
        check(this, QStringLiteral("chkZilIptal"),
              QStringLiteral("1. zil sıra için olduğundan anons yapma"), {60, 4560, 4320, 285});
    silentFirstBellBox_->setChecked(true);
    connect(silentFirstBellBox_, &QCheckBox::clicked, this, &MelodilerPage::silentFirstBellToggled);
}

void MelodilerPage::enableAnnouncementVolume(int k, bool enabled) {
    announcementSes_[k]->setEnabled(enabled);
    announcementPercent_[k]->setEnabled(enabled);
    context_.volumeBoxes.box(4 + k)->setEnabled(enabled);
}

void MelodilerPage::refresh() {
    for (QComboBox* list : melodyLists_)
        list->clear();
    const QStringList melodies = listMelodies(context_.appPath + Playback::kMelodiler);
    for (const QString& name : melodies) {
        for (QComboBox* list : melodyLists_)
            list->addItem(name);
    }
    for (QComboBox* list : melodyLists_)
        list->addItem(kAddMelody);

    const StoredValues& v = context_.values;
    for (int k = 0; k < 3; ++k) {
        // A stored melody that is no longer in the folder still shows, marked as missing.
        whileFilling(context_.filling, [&] {
            QComboBox* list = melodyLists_[k];
            int index = static_cast<int>(melodies.indexOf(v.Zil[k]));
            if (index < 0) {
                list->insertItem(0, v.Zil[k] + kMissingMark, v.Zil[k]);
                list->setItemData(0, kMissingTip, Qt::ToolTipRole);
                index = 0;
            }
            list->setCurrentIndex(index);
            list->setToolTip(list->itemData(index, Qt::ToolTipRole).toString());
        });
    }
    for (int k = 0; k < 3; ++k) {
        const int on = static_cast<int>(conversion::leadingNumber(v.Anons[k]));
        whileFilling(context_.filling, [&] { announcementBoxes_[k]->setChecked(on != 0); });
        enableAnnouncementVolume(k, on != 0);
    }
    whileFilling(context_.filling, [&] {
        silentFirstBellBox_->setChecked(conversion::leadingNumber(v.ZilIptal) != 0);
    });
    for (int i = 4; i <= 9; ++i) {
        whileFilling(context_.filling,
                     [&] { context_.volumeBoxes.box(i)->setText(QString::number(v.Sesx[i])); });
    }
}

void MelodilerPage::melodyChosen(int k) {
    if (context_.filling)
        return;
    const QString text = chosenMelody(k);
    if (text == kAddMelody) {
        if (context_.showAddFileDialog)
            context_.showAddFileDialog(QStringLiteral("Melodiler"));
        // Refills the three lists and puts each back on its stored melody.
        if (context_.refreshPage)
            context_.refreshPage();
        return;
    }
    context_.store.save(settings::zil(k), text);
    context_.values.Zil[k] = text;
    melodyLists_[k]->setToolTip(melodyLists_[k]->currentData(Qt::ToolTipRole).toString());
}

QString MelodilerPage::chosenMelody(int k) const {
    const QVariant stored = melodyLists_[k]->currentData();
    return stored.isValid() ? stored.toString() : melodyLists_[k]->currentText();
}

// Plays the melody now shown in the list, before it is chosen.
void MelodilerPage::preview(int k) {
    bells::ring(context_.playback, context_.values, context_.appPath, k, chosenMelody(k),
                bells::buttonText(k));
}

void MelodilerPage::announcementToggled(int k) {
    if (context_.filling)
        return;
    context_.values.Anons[k] =
        announcementBoxes_[k]->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    context_.store.save(settings::anons(k), context_.values.Anons[k]);
    enableAnnouncementVolume(k, announcementBoxes_[k]->isChecked());
}

void MelodilerPage::silentFirstBellToggled() {
    if (context_.filling)
        return;
    context_.values.ZilIptal =
        silentFirstBellBox_->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    context_.store.save(settings::zilIptal(), context_.values.ZilIptal);
}
