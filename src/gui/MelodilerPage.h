#pragma once

#include "gui/PageContext.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// "Melodiler": the melody, preview, announcement switch and volumes of each
// bell kind, and the switch that keeps the first bell of a shift silent.
class MelodilerPage : public QWidget {
    Q_OBJECT
public:
    static inline const QString kAddMelody = QStringLiteral("---Yeni Melodi Ekle---");
    // Behind a stored melody that is not in the folder: that bell stays silent.
    static inline const QString kMissingMark = QStringLiteral(" (dosya yok)");
    static inline const QString kMissingTip =
        QStringLiteral("Bu melodi Melodiler klasöründe yok; zil sessiz kalır. "
                       "Listeden başka bir melodi seçin.");

    MelodilerPage(const PageContext& context, QWidget* parent);

    QComboBox* melodyList(int k) const { return melodyLists_.at(k); }
    QPushButton* previewButton(int k) const { return previewButtons_.at(k); }
    QCheckBox* announcementBox(int k) const { return announcementBoxes_.at(k); }
    QCheckBox* silentFirstBellBox() const { return silentFirstBellBox_; }

    void refresh();
    // Greys an announcement's volume box and its two labels while it is off.
    void enableAnnouncementVolume(int k, bool enabled);

    void melodyChosen(int k);
    void preview(int k);
    void announcementToggled(int k);
    void silentFirstBellToggled();

private:
    // The melody file name of the list's current item.
    QString chosenMelody(int k) const;

    PageContext context_;
    std::array<QComboBox*, 3> melodyLists_{};
    std::array<QPushButton*, 3> previewButtons_{};
    std::array<QCheckBox*, 3> announcementBoxes_{};
    std::array<QLabel*, 3> announcementSes_{};     // lblSes(20..22)
    std::array<QLabel*, 3> announcementPercent_{}; // lblSes(30..32)
    QCheckBox* silentFirstBellBox_ = nullptr;
};
