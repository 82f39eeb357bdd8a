#include "gui/MuzikPage.h"

#include "core/SettingsTable.h"
#include "core/StoredValues.h"
#include "core/Timetable.h"
#include "gui/PageParts.h"
#include "gui/VolumeBoxes.h"
#include "platform/SettingsStore.h"
#include "sound/Playback.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace pageparts;

namespace {
QString breakCaption(int n) {
    return QString::number(n) + QStringLiteral(". tenefüs");
}
} // namespace

MuzikPage::MuzikPage(const PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    musicSwitch_ = check(this, QStringLiteral("chkMuzikAktif"),
                         QStringLiteral("Müzik yayını aktif"), {60, 0, 4320, 300});
    musicSwitch_->setChecked(true);
    connect(musicSwitch_, &QCheckBox::clicked, this, &MuzikPage::musicSwitchToggled);

    // Three columns: the weekday morning and afternoon breaks, then the
    // weekend's twelve; the volume, the buttons and the note below the weekday.
    QLabel* weekday =
        heading(this, item("Label3", 9), QStringLiteral(" Hafta İçi"), {60, 360, 2880, 240});
    QLabel* weekend =
        heading(this, item("Label3", 10), QStringLiteral(" Hafta Sonu"), {3000, 360, 1380, 240});
    QLabel* morning =
        label(this, item("Label3", 11), QStringLiteral("Sabahçı Devre"), {60, 630, 1440, 240});
    QLabel* afternoon =
        label(this, item("Label3", 12), QStringLiteral("Öğlenci Devre"), {1500, 630, 1440, 240});
    for (int b = 0; b < 24; ++b) {
        QRect r;
        if (b < 12)
            r = QRect(60 + 1440 * (b / 6), 900 + 255 * (b % 6), 1440, 255);
        else
            r = QRect(3000, 630 + 255 * (b - 12), 1380, 255);
        const int number = b < 12 ? b % 6 + 1 : b - 11;
        breakBoxes_[b] = check(this, item("chkTenefus", b), breakCaption(number), r);
        breakBoxes_[b]->setChecked(timetable::defaultBreakMark(b) == 1);
        connect(breakBoxes_[b], &QCheckBox::clicked, this, [this, b] { breakToggled(b); });
    }

    QLabel* ses = label(this, item("lblSes", 8), QStringLiteral("Ses:"), {60, 2550, 390, 285});
    auto* volume = new QLineEdit(this);
    place(volume, QString(), {450, 2520, 420, 315});
    context_.volumeBoxes.attach(3, volume);
    QLabel* percent = label(this, item("lblSes", 9), QStringLiteral("%"), {900, 2550, 240, 285});

    playNowButton_ = button(this, QStringLiteral("cmdMusicNow"), QStringLiteral("Hemen Çal"),
                            {60, 2970, 2820, 375});
    addSongButton_ = button(this, QStringLiteral("cmdYeniSarki"), QStringLiteral("Yeni Şarkı Ekle"),
                            {60, 3420, 2820, 375});
    QLabel* note = label(this, item("Label1", 10),
                         QStringLiteral("NOT: Şarkılar rastgele seçilip çalınmaktadır."),
                         {60, 3900, 4320, 480});
    note->setWordWrap(true);
    connect(playNowButton_, &QPushButton::clicked, this,
            [this] { context_.playback.startRandomSong(); });
    connect(addSongButton_, &QPushButton::clicked, this, [this] {
        if (context_.showAddFileDialog)
            context_.showAddFileDialog(QStringLiteral("Müzik"));
    });

    for (QCheckBox* box : breakBoxes_)
        switched_.push_back(box);
    switched_.insert(switched_.end(), {ses, percent, weekday, weekend, morning, afternoon,
                                       playNowButton_, addSongButton_, note, volume});
}

void MuzikPage::refresh() {
    const StoredValues& v = context_.values;
    if (v.Aktif == 0) {
        musicSwitch_->setChecked(false);
        musicSwitchToggled();
    }
    whileFilling(context_.filling,
                 [&] { context_.volumeBoxes.box(3)->setText(QString::number(v.Sesx[3])); });
    for (int b = 0; b < 24; ++b)
        whileFilling(context_.filling, [&] { breakBoxes_[b]->setChecked(v.MusicT[b] != 0); });
}

void MuzikPage::musicSwitchToggled() {
    const bool on = musicSwitch_->isChecked();
    context_.values.Aktif = on ? 1 : 0;
    context_.store.save(settings::aktif(), QString::number(context_.values.Aktif));
    for (QWidget* control : switched_)
        control->setEnabled(on);
}

void MuzikPage::breakToggled(int b) {
    if (context_.filling)
        return;
    context_.values.MusicT[b] = breakBoxes_[b]->isChecked() ? 1 : 0;
    context_.store.save(settings::musicT(b), QString::number(context_.values.MusicT[b]));
}
