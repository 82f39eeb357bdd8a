#pragma once

#include "gui/PageContext.h"

#include <QWidget>

#include <array>
#include <vector>

class QCheckBox;
class QPushButton;

// "Müzik Yayını": break music on or off, which breaks get music, play now,
// add songs, and the music volume.
class MuzikPage : public QWidget {
    Q_OBJECT
public:
    MuzikPage(const PageContext& context, QWidget* parent);

    QCheckBox* musicSwitch() const { return musicSwitch_; }
    QCheckBox* breakBox(int b) const { return breakBoxes_.at(b); }
    QPushButton* playNowButton() const { return playNowButton_; }
    QPushButton* addSongButton() const { return addSongButton_; }

    void refresh();
    // Runs also while filling: the refresh calls it to show the off state.
    void musicSwitchToggled();

private:
    void breakToggled(int b);

    PageContext context_;
    QCheckBox* musicSwitch_ = nullptr;
    std::array<QCheckBox*, 24> breakBoxes_{};
    QPushButton* playNowButton_ = nullptr;
    QPushButton* addSongButton_ = nullptr;
    // Enabled and disabled with the switch, in this order.
    std::vector<QWidget*> switched_;
};
