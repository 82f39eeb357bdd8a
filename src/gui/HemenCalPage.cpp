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
        cmdZil_[k] = button(this, item("cmdZil", k), bells[k], {60 + 1440 * k, 300, 1380, 375});
        connect(cmdZil_[k], &QPushButton::clicked, this, [this, k] { cmdZil_Click(k); });
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
        cmdMars_[k] =
            button(this, item("cmdMars", k), QStringLiteral("Çal"), {60, top + 285, 720, 375});
        auto* delay = new QComboBox(this);
        place(delay, item("cmbMars", k), {840, top + 300, 1620, 345});
        delay->addItems(kDelays);
        delay->setProperty("Tag", QStringLiteral("0"));
        cmbMars_[k] = delay;
        cmdMarsIptal_[k] = button(this, item("cmdMarsIptal", k), QStringLiteral("İptal"),
                                  {2520, top + 285, 720, 375});
        cmdMarsIptal_[k]->hide();
        auto* timer = new QTimer(this);
        timer->setObjectName(item("tmrMars", k));
        timer->setInterval(1000);
        timer->setTimerType(Qt::PreciseTimer);
        tmrMars_[k] = timer;
        connect(delay, &QComboBox::currentIndexChanged, this, [this, k] { cmbMars_Click(k); });
        connect(cmdMars_[k], &QPushButton::clicked, this, [this, k] { cmdMars_Click(k); });
        connect(cmdMarsIptal_[k], &QPushButton::clicked, this,
                [this, k] { cmdMarsIptal_Click(k); });
        connect(timer, &QTimer::timeout, this, [this, k] { tmrMars_Timer(k); });
        label(this, item("lblSes", 2 * k), QStringLiteral("Ses:"), {3300, top + 330, 390, 285});
        auto* volume = new QLineEdit(this);
        place(volume, QString(), {3690, top + 300, 420, 315});
        context_.volumeBoxes.attach(k, volume);
        label(this, item("lblSes", 2 * k + 1), QStringLiteral("%"), {4140, top + 330, 240, 285});
    }

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

    Text1_ = new QLineEdit(this);
    Text1_->setAccessibleName(QStringLiteral("İletişim adresi"));
    place(Text1_, QStringLiteral("Text1"), {120, 4620, 4200, 300});

    // Beside the bell, under the title: the output the sounds go to.
    label(this, QStringLiteral("lblSesCikisi"), QStringLiteral("Ses çıkışı"),
          {990, 3945, 780, 270});
    cmbSesCikisi_ = new QComboBox(this);
    place(cmbSesCikisi_, QStringLiteral("cmbSesCikisi"), {1770, 3915, 2550, 300});
    // Chosen by the user only: the list is filled with `filling` set.
    connect(cmbSesCikisi_, &QComboBox::activated, this, &HemenCalPage::cmbSesCikisi_Click);
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
        cmbSesCikisi_->clear();
        cmbSesCikisi_->addItem(QStringLiteral("Varsayılan"), QString());
        cmbSesCikisi_->setEnabled(server != nullptr);
        if (!server)
            return;
        const QString& chosen = outputs->chosen();
        bool listed = chosen.isEmpty();
        for (const SoundOutput& output : server->outputs()) {
            cmbSesCikisi_->addItem(output.description, output.name);
            listed = listed || output.name == chosen;
        }
        if (!listed)
            cmbSesCikisi_->addItem(QStringLiteral("%1 (bağlı değil)").arg(chosen), chosen);
        cmbSesCikisi_->setCurrentIndex(std::max(0, cmbSesCikisi_->findData(chosen)));
    });
}

void HemenCalPage::cmbSesCikisi_Click(int index) {
    if (context_.filling || !context_.playback.outputs())
        return;
    const QString name = cmbSesCikisi_->itemData(index).toString();
    if (name == context_.playback.outputs()->chosen())
        return;
    context_.store.save(settings::sesCikisi(), name);
    context_.playback.chooseOutput(name);
}

void HemenCalPage::refresh() {
    for (QComboBox* delay : cmbMars_)
        delay->setCurrentIndex(0);
    for (int k = 0; k < 3; ++k) {
        whileFilling(context_.filling, [&] {
            context_.volumeBoxes.box(k)->setText(QString::number(context_.values.Sesx[k]));
        });
    }
}

void HemenCalPage::cmdZil_Click(int k) {
    // A bell rung by hand always carries its announcement when that is on.
    bells::ring(context_.playback, context_.values, context_.appPath, k, context_.values.Zil[k],
                bells::buttonText(k));
}

// Runs also while filling: the refresh puts every list back on "Hemen".
void HemenCalPage::cmbMars_Click(int k) {
    const QString seconds = ceremonies::delayTagFor(cmbMars_[k]->currentText());
    if (!seconds.isEmpty())
        cmbMars_[k]->setProperty("Tag", seconds);
}

void HemenCalPage::cmdMars_Click(int k) {
    const QString tag = cmbMars_[k]->property("Tag").toString();
    const int seconds = static_cast<int>(conversion::leadingNumber(tag));
    if (seconds <= 0) {
        ceremonies::play(context_.playback, context_.values, context_.appPath, k);
        return;
    }
    cmdMarsIptal_[k]->show();
    cmdMarsIptal_[k]->setFocus();
    cmdMars_[k]->setEnabled(false);
    cmbMars_[k]->setEnabled(false);
    countdowns_[k].start(seconds);
    cmdMars_[k]->setText(QString::number(countdowns_[k].remaining()));
    tmrMars_[k]->start();
    emit countdownChanged();
}

bool HemenCalPage::countingDown() const {
    return std::any_of(countdowns_.begin(), countdowns_.end(),
                       [](const ceremonies::Countdown& c) { return c.counting(); });
}

void HemenCalPage::tmrMars_Timer(int k) {
    const bool due = countdowns_[k].tick();
    cmdMars_[k]->setText(QString::number(countdowns_[k].remaining()));
    if (!due)
        return;
    endCountdown(k);
    ceremonies::play(context_.playback, context_.values, context_.appPath, k);
}

// Ends the countdown only: a sound already playing goes on ("Durdur" stops it).
void HemenCalPage::cmdMarsIptal_Click(int k) {
    countdowns_[k].cancel();
    endCountdown(k);
}

void HemenCalPage::endCountdown(int k) {
    cmdMars_[k]->setEnabled(true);
    cmbMars_[k]->setEnabled(true);
    cmdMarsIptal_[k]->hide();
    tmrMars_[k]->stop();
    cmdMars_[k]->setText(QStringLiteral("Çal"));
    emit countdownChanged();
}
