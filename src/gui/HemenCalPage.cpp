#include "gui/HemenCalPage.h"

#include "core/SettingsTable.h"
#include "core/StoredValues.h"
#include "core/ValueConversion.h"
#include "gui/PageParts.h"
#include "gui/ProgramIcon.h"
#include "gui/VolumeBoxes.h"
#include "platform/SettingsStore.h"
#include "platform/SoundServer.h"
#include "sound/OutputChoice.h"
#include "sound/Playback.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <QTimer>
#include <algorithm>

using namespace pageparts;

namespace {
const QStringList kDelays{QStringLiteral("Hemen"),           QStringLiteral("15 saniye sonra"),
                          QStringLiteral("30 saniye sonra"), QStringLiteral("45 saniye sonra"),
                          QStringLiteral("1 dakika sonra"),  QStringLiteral("2 dakika sonra"),
                          QStringLiteral("3 dakika sonra")};

} // namespace

HemenCalPage::HemenCalPage(const PageContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    heading(this, item("Label3", 1), QStringLiteral(" Zili Çal"), {60, 0, 4320, 240});
    const QString bells[3] = {QStringLiteral("Öğrenci Zili"), QStringLiteral("Öğretmen Zili"),
                              QStringLiteral("Çıkış Zili")};
    for (int k = 0; k < 3; ++k) {
        ringButtons_[k] =
            button(this, item("cmdZil", k), bells[k], {60 + 1440 * k, 300, 1380, 375});
        connect(ringButtons_[k], &QPushButton::clicked, this, [this, k] { ringNow(k); });
    }

    // The three ceremonial rows: heading, play, delay, cancel, volume.
    const struct {
        int label;
        const char* text;
    } rows[3] = {{0, " İstiklal Marşı"}, {7, " Saygı Duruşu + İstiklal Marşı"}, {8, " Siren"}};
    for (int k = 0; k < 3; ++k) {
        const int top = 780 + 780 * k;
        heading(this, item("Label3", rows[k].label), QString::fromUtf8(rows[k].text),
                {60, top, 4320, 240});
        ceremonyButtons_[k] =
            button(this, item("cmdMars", k), QStringLiteral("Çal"), {60, top + 285, 720, 375});
        auto* delay = new QComboBox(this);
        place(delay, item("cmbMars", k), {840, top + 300, 1620, 345});
        delay->addItems(kDelays);
        delay->setProperty("Tag", QStringLiteral("0"));
        ceremonyDelays_[k] = delay;
        cancelCountdownButtons_[k] = button(this, item("cmdMarsIptal", k), QStringLiteral("İptal"),
                                            {2520, top + 285, 720, 375});
        cancelCountdownButtons_[k]->hide();
        auto* timer = new QTimer(this);
        timer->setObjectName(item("tmrMars", k));
        timer->setInterval(1000);
        timer->setTimerType(Qt::PreciseTimer);
        countdownTimers_[k] = timer;
        connect(delay, &QComboBox::currentIndexChanged, this, [this, k] { delayChosen(k); });
        connect(ceremonyButtons_[k], &QPushButton::clicked, this, [this, k] { startCeremony(k); });
        connect(cancelCountdownButtons_[k], &QPushButton::clicked, this,
                [this, k] { cancelCountdown(k); });
        connect(timer, &QTimer::timeout, this, [this, k] { countdownTick(k); });
        label(this, item("lblSes", 2 * k), QStringLiteral("Ses:"), {3300, top + 330, 390, 285});
        auto* volume = new QLineEdit(this);
        place(volume, QString(), {3690, top + 300, 420, 315});
        context_.volumeBoxes.attach(k, volume);
        label(this, item("lblSes", 2 * k + 1), QStringLiteral("%"), {4140, top + 330, 240, 285});
    }

    remembranceSwitch_ =
        check(this, QStringLiteral("chkOnKasim"),
              QStringLiteral("10 Kasım 09.05 anması kendiliğinden çalsın"), {60, 3015, 4320, 225});
    remembranceSwitch_->setToolTip(QStringLiteral("Okul günü olan 10 Kasım'da 09.05'te siren ve "
                                                  "iki dakika saygı duruşu, 09.07'de İstiklal "
                                                  "Marşı"));
    connect(remembranceSwitch_, &QCheckBox::toggled, this, [this](bool on) {
        if (context_.filling)
            return;
        context_.values.OnKasim = on ? QStringLiteral("1") : QStringLiteral("0");
        context_.store.save(settings::onKasim(), context_.values.OnKasim);
    });

    auto* image = label(this, QStringLiteral("Image1"), QString(), {60, 3240, 900, 900});
    image->setPixmap(bellPixmap(image->height()));
    QLabel* title = label(this, QStringLiteral("Label4"), QStringLiteral("  Velmar Dorl"),
                          {960, 3240, 2700, 420});
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    title->setFont(big);
    label(this, item("Label5", 0), QStringLiteral("   ücretsiz zil makinası"),
          {960, 3660, 2700, 270});
    label(this, item("Label5", 2), kVersion, {3660, 3300, 720, 270});
    link_ = label(this, item("Label5", 1), QString(), {120, 4260, 4200, 270});

    contactField_ = new QLineEdit(this);
    contactField_->setAccessibleName(QStringLiteral("İletişim adresi"));
    place(contactField_, QStringLiteral("Text1"), {120, 4620, 4200, 300});

    // Beside the bell, under the title: the output the sounds go to.
    label(this, QStringLiteral("lblSesCikisi"), QStringLiteral("Ses çıkışı"),
          {990, 3945, 780, 270});
    outputList_ = new QComboBox(this);
    place(outputList_, QStringLiteral("cmbSesCikisi"), {1770, 3915, 2550, 300});
    // Chosen by the user only: the list is filled with `filling` set.
    connect(outputList_, &QComboBox::activated, this, &HemenCalPage::outputChosen);
    showOutputs();
}

void HemenCalPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showOutputs();
}

void HemenCalPage::showOutputs() {
    OutputChoice* outputs = context_.playback.outputs();
    SoundServer* server = outputs ? outputs->server() : nullptr;
    if (server && !followsOutputs_) {
        followsOutputs_ = true;
        connect(server, &SoundServer::outputsChanged, this, [this] {
            if (isVisible())
                showOutputs();
        });
    }
    whileFilling(context_.filling, [&] {
        outputList_->clear();
        outputList_->addItem(QStringLiteral("Varsayılan"), QString());
        outputList_->setEnabled(server != nullptr);
        if (!server)
            return;
        const QString& chosen = outputs->chosen();
        bool listed = chosen.isEmpty();
        for (const SoundOutput& output : server->outputs()) {
            outputList_->addItem(output.description, output.name);
            listed = listed || output.name == chosen;
        }
        if (!listed)
            outputList_->addItem(QStringLiteral("%1 (bağlı değil)").arg(chosen), chosen);
        outputList_->setCurrentIndex(std::max(0, outputList_->findData(chosen)));
    });
}

void HemenCalPage::outputChosen(int index) {
    if (context_.filling || !context_.playback.outputs())
        return;
    const QString name = outputList_->itemData(index).toString();
    if (name == context_.playback.outputs()->chosen())
        return;
    context_.store.save(settings::sesCikisi(), name);
    context_.playback.chooseOutput(name);
}

void HemenCalPage::refresh() {
    for (QComboBox* delay : ceremonyDelays_)
        delay->setCurrentIndex(0);
    whileFilling(context_.filling, [&] {
        remembranceSwitch_->setChecked(context_.values.OnKasim == QLatin1String("1"));
    });
    for (int k = 0; k < 3; ++k) {
        whileFilling(context_.filling, [&] {
            context_.volumeBoxes.box(k)->setText(QString::number(context_.values.Sesx[k]));
        });
    }
}

void HemenCalPage::ringNow(int k) {
    // A bell rung by hand always carries its announcement when that is on.
    bells::ring(context_.playback, context_.values, context_.appPath, k, context_.values.Zil[k],
                bells::buttonText(k));
}

// Runs also while filling: the refresh puts every list back on "Hemen".
void HemenCalPage::delayChosen(int k) {
    const QString seconds = ceremonies::delayTagFor(ceremonyDelays_[k]->currentText());
    if (!seconds.isEmpty())
        ceremonyDelays_[k]->setProperty("Tag", seconds);
}

void HemenCalPage::startCeremony(int k) {
    const QString tag = ceremonyDelays_[k]->property("Tag").toString();
    const int seconds = static_cast<int>(conversion::leadingNumber(tag));
    if (seconds <= 0) {
        ceremonies::play(context_.playback, context_.values, context_.appPath, k);
        return;
    }
    cancelCountdownButtons_[k]->show();
    cancelCountdownButtons_[k]->setFocus();
    ceremonyButtons_[k]->setEnabled(false);
    ceremonyDelays_[k]->setEnabled(false);
    countdowns_[k].start(seconds);
    ceremonyButtons_[k]->setText(QString::number(countdowns_[k].remaining()));
    countdownTimers_[k]->start();
    emit countdownChanged();
}

bool HemenCalPage::countingDown() const {
    return std::any_of(countdowns_.begin(), countdowns_.end(),
                       [](const ceremonies::Countdown& c) { return c.counting(); });
}

void HemenCalPage::countdownTick(int k) {
    const bool due = countdowns_[k].tick();
    ceremonyButtons_[k]->setText(QString::number(countdowns_[k].remaining()));
    if (!due)
        return;
    endCountdown(k);
    ceremonies::play(context_.playback, context_.values, context_.appPath, k);
}

// Ends the countdown only: a sound already playing goes on ("Durdur" stops it).
void HemenCalPage::cancelCountdown(int k) {
    countdowns_[k].cancel();
    endCountdown(k);
}

void HemenCalPage::endCountdown(int k) {
    ceremonyButtons_[k]->setEnabled(true);
    ceremonyDelays_[k]->setEnabled(true);
    cancelCountdownButtons_[k]->hide();
    countdownTimers_[k]->stop();
    ceremonyButtons_[k]->setText(QStringLiteral("Çal"));
    emit countdownChanged();
}
