#include "gui/HolidaysDialog.h"

#include "core/Holidays.h"
#include "core/SettingsTable.h"
#include "core/StoredValues.h"
#include "core/Timetable.h"
#include "core/ValueConversion.h"
#include "gui/TimeCell.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"

#include <QAbstractSpinBox>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTextCharFormat>
#include <QVBoxLayout>

namespace {
const QString kDayFormat = QStringLiteral("dd.MM.yyyy");
const QString kHalfDayNote = QStringLiteral(": 13.00'ten sonra zil yok");

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QComboBox* choiceBox(QWidget* parent, const QString& name, const QString& accessibleName) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    for (DayPlan::Choice c : {DayPlan::WeekdayTable, DayPlan::WeekendTable, DayPlan::NoBells})
        box->addItem(DayPlan::choiceName(c), int(c));
    return box;
}

QString rangeText(const QDate& from, const QDate& to) {
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    if (from == to) {
        QString text = from.toString(kDayFormat) + QLatin1Char(' ') +
                       turkish.dayName(from.dayOfWeek(), QLocale::LongFormat);
        if (const QString name = holidays::nationalHolidayName(from); !name.isEmpty())
            text += QStringLiteral("  (") + name + QLatin1Char(')');
        return text;
    }
    return QStringLiteral("%1 – %2  (%3 gün)")
        .arg(from.toString(kDayFormat), to.toString(kDayFormat))
        .arg(from.daysTo(to) + 1);
}
} // namespace

HolidaysDialog::HolidaysDialog(DayPlan& plan, Holidays& holidays, const Clock& clock,
                               StoredValues& values, SettingsStore& store, QWidget* parent)
    : QDialog(parent), plan_(plan), holidays_(holidays), clock_(clock), values_(values),
      store_(store) {
    setObjectName(QStringLiteral("frmTatil"));
    setWindowTitle(QStringLiteral("Tatil Günleri"));
    setModal(false);
    setMinimumWidth(460);

    // Broken by hand, not wrapped: a wrapped label's height is not counted
    // in the window's minimum, and a window's first size is at most two
    // thirds of the screen (533 pixels on a 1280x800 one), so the calendar
    // lost its last week to it.
    auto* help =
        new QLabel(QStringLiteral("İşaretli günlerde zil ve teneffüs müziği çalmaz; \"Hemen Çal\"\n"
                                  "düğmeleri çalışır. Bir aralık için ilk güne, sonra Shift\n"
                                  "tuşuna basılıyken son güne tıklayın. Sınav ya da kısa gün\n"
                                  "için seçilen günlere öbür tablonun saatleri verilebilir."),
                   this);
    help->setObjectName(QStringLiteral("lblTatilBilgi"));

    calendar_ = new QCalendarWidget(this);
    calendar_->setObjectName(QStringLiteral("calTatil"));
    calendar_->setLocale(QLocale(QLocale::Turkish, QLocale::Turkey));
    calendar_->setFirstDayOfWeek(Qt::Monday);
    calendar_->setGridVisible(true);
    calendar_->setAccessibleName(QStringLiteral("Tatil takvimi"));
    // The calendar's own year box has no name of its own.
    for (QAbstractSpinBox* year : calendar_->findChildren<QAbstractSpinBox*>())
        year->setAccessibleName(QStringLiteral("Takvim yılı"));

    from_ = new QDateEdit(this);
    from_->setObjectName(QStringLiteral("dtpBaslangic"));
    from_->setDisplayFormat(kDayFormat);
    from_->setAccessibleName(QStringLiteral("Tatil başlangıç günü"));
    to_ = new QDateEdit(this);
    to_->setObjectName(QStringLiteral("dtpBitis"));
    to_->setDisplayFormat(kDayFormat);
    to_->setAccessibleName(QStringLiteral("Tatil bitiş günü"));

    auto* mark = button(this, "cmdTatilYap", QStringLiteral("Tatil Yap"));
    auto* unmark = button(this, "cmdTatilKaldir", QStringLiteral("Tatili Kaldır"));
    auto* past = button(this, "cmdGecmisiTemizle", QStringLiteral("Geçmiş Günleri Temizle"));
    auto* close = button(this, "cmdKapat", QStringLiteral("Kapat"));
    rangeChoice_ = choiceBox(this, QStringLiteral("cmbTarihTablosu"),
                             QStringLiteral("Seçilen günlerde çalacak saatler"));
    auto* apply = button(this, "cmdUygula", QStringLiteral("Uygula"));

    auto* week = new QGroupBox(QStringLiteral("Haftanın günleri"), this);
    week->setObjectName(QStringLiteral("grpHaftaninGunleri"));
    auto* weekLayout = new QGridLayout(week);
    for (int day = 1; day <= 7; ++day) {
        const QString name = QLocale(QLocale::Turkish, QLocale::Turkey).dayName(day);
        QComboBox* box = choiceBox(week, QStringLiteral("cmbGun%1").arg(day),
                                   name + QStringLiteral(" günü çalacak saatler"));
        box->setCurrentIndex(box->findData(int(plan_.weekdayChoice(day))));
        connect(box, &QComboBox::activated, this, [this, day, box] {
            plan_.setWeekdayChoice(day, DayPlan::Choice(box->currentData().toInt()));
        });
        weekdays_[day - 1] = box;
        weekLayout->addWidget(new QLabel(name + QLatin1Char(':'), week), (day - 1) % 4,
                              (day - 1) / 4 * 2);
        weekLayout->addWidget(box, (day - 1) % 4, (day - 1) / 4 * 2 + 1);
    }

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lstTatil"));
    list_->setAccessibleName(QStringLiteral("Tatil günleri listesi"));

    auto* range = new QGridLayout;
    range->addWidget(new QLabel(QStringLiteral("Başlangıç:"), this), 0, 0);
    range->addWidget(from_, 0, 1);
    range->addWidget(mark, 0, 2);
    range->addWidget(new QLabel(QStringLiteral("Bitiş:"), this), 1, 0);
    range->addWidget(to_, 1, 1);
    range->addWidget(unmark, 1, 2);
    range->addWidget(new QLabel(QStringLiteral("Seçilen günler:"), this), 2, 0);
    range->addWidget(rangeChoice_, 2, 1);
    range->addWidget(apply, 2, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(past);
    bottom->addStretch();
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(help);
    layout->addWidget(calendar_);
    layout->addLayout(range);
    layout->addWidget(week);
    layout->addWidget(flagCeremonyGroup());
    layout->addWidget(list_, 1);
    layout->addLayout(bottom);

    connect(calendar_, &QCalendarWidget::clicked, this, &HolidaysDialog::dayClicked);
    connect(calendar_, &QCalendarWidget::activated, this, &HolidaysDialog::dayClicked);
    connect(calendar_, &QCalendarWidget::currentPageChanged, this, &HolidaysDialog::showMarks);
    connect(mark, &QPushButton::clicked, this, &HolidaysDialog::markChosen);
    connect(unmark, &QPushButton::clicked, this, &HolidaysDialog::unmarkChosen);
    connect(apply, &QPushButton::clicked, this, &HolidaysDialog::applyChosen);
    connect(past, &QPushButton::clicked, this, &HolidaysDialog::clearPast);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (QListWidgetItem* item = list_->item(row))
            choose(item->data(Qt::UserRole).toDate(), item->data(Qt::UserRole + 1).toDate());
    });
    connect(&plan_, &DayPlan::changed, this, &HolidaysDialog::showMarks);

    const QDate today = clock_.now().date();
    calendar_->setSelectedDate(today);
    choose(today, today);
    showMarks();
}

QWidget* HolidaysDialog::flagCeremonyGroup() {
    auto* group = new QGroupBox(
        QStringLiteral("Bayrak töreni: haftanın ilk ve son okul gününde İstiklal Marşı"), this);
    group->setObjectName(QStringLiteral("grpBayrakToreni"));
    flagCeremony_ = new QCheckBox(QStringLiteral("Çalsın"), group);
    flagCeremony_->setObjectName(QStringLiteral("chkBayrakToreni"));
    flagCeremony_->setChecked(values_.BayrakToreni == QLatin1String("1"));
    connect(flagCeremony_, &QCheckBox::toggled, this, [this](bool on) {
        values_.BayrakToreni = on ? QStringLiteral("1") : QStringLiteral("0");
        store_.save(settings::bayrakToreni(), values_.BayrakToreni);
    });
    auto* row = new QHBoxLayout(group);
    row->addWidget(flagCeremony_);
    row->addSpacing(12);
    const QString captions[2] = {QStringLiteral("İlk gün:"), QStringLiteral("Son gün:")};
    const QString spoken[2] = {QStringLiteral("Haftanın ilk okul günü tören saati"),
                               QStringLiteral("Haftanın son okul günü tören saati")};
    for (int day = 0; day < 2; ++day) {
        // A cell of the timetable's own kind, outside its numbering.
        auto* cell = new TimeCell(timetable::kCellCount + day, group);
        cell->setObjectName(QStringLiteral("txtTorenSaati_%1").arg(day));
        cell->setAccessibleName(spoken[day]);
        cell->setFixedWidth(cell->fontMetrics().horizontalAdvance(QStringLiteral("00:00")) + 12);
        cell->setText(values_.TorenSaati[day]);
        connect(cell, &QLineEdit::textChanged, this, [this, day] { ceremonyTimeChanged(day); });
        ceremonyTimes_[day] = cell;
        row->addWidget(new QLabel(captions[day], group));
        row->addWidget(cell);
    }
    row->addStretch();
    return group;
}

void HolidaysDialog::ceremonyTimeChanged(int day) {
    const QString value = conversion::fitFixed(ceremonyTimes_[day]->text(), 5);
    if (value == values_.TorenSaati[day])
        return;
    values_.TorenSaati[day] = value;
    store_.save(settings::torenSaati(day), value);
}

void HolidaysDialog::choose(const QDate& from, const QDate& to) {
    from_->setDate(std::min(from, to));
    to_->setDate(std::max(from, to));
    calendar_->setSelectedDate(to);
}

void HolidaysDialog::dayClicked(const QDate& day) {
    if (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier)
        choose(from_->date(), day);
    else
        choose(day, day);
}

void HolidaysDialog::markChosen() {
    plan_.setDates(from_->date(), to_->date(), DayPlan::NoBells);
}

void HolidaysDialog::applyChosen() {
    plan_.setDates(from_->date(), to_->date(),
                   DayPlan::Choice(rangeChoice_->currentData().toInt()));
}

// Each day goes back to what it was (its weekday's table, or its national holiday).
void HolidaysDialog::unmarkChosen() {
    plan_.clearDates(from_->date(), to_->date());
}

void HolidaysDialog::clearPast() {
    holidays_.clearBefore(clock_.now().date());
}

// Marked days stand out on the calendar; the list holds the marks from today
// to the end of next year.
void HolidaysDialog::showMarks() {
    calendar_->setDateTextFormat(QDate(), QTextCharFormat());
    QTextCharFormat marked;
    marked.setBackground(QColor(0xf4, 0xb4, 0xb4));
    marked.setFontWeight(QFont::Bold);
    QTextCharFormat tables[2];
    tables[0].setBackground(QColor(0xc4, 0xe8, 0xc4));
    tables[1].setBackground(QColor(0xbc, 0xd4, 0xf4));
    const int shownYear = calendar_->yearShown();
    for (const QDate& day : holidays_.marked(shownYear - 1, shownYear + 1))
        calendar_->setDateTextFormat(day, marked);
    for (DayPlan::Choice table : {DayPlan::WeekdayTable, DayPlan::WeekendTable}) {
        for (const QDate& day : plan_.datesWith(table, shownYear - 1, shownYear + 1))
            calendar_->setDateTextFormat(day, tables[table]);
    }

    QTextCharFormat eve;
    eve.setBackground(QColor(0xf8, 0xe8, 0xa8));
    for (int year = shownYear - 1; year <= shownYear + 1; ++year) {
        for (QDate day(year, 1, 1); day.year() == year; day = day.addDays(1)) {
            if (const QString name = plan_.halfDayOn(day); !name.isEmpty()) {
                eve.setToolTip(name + kHalfDayNote);
                calendar_->setDateTextFormat(day, eve);
            } else if (const QString official = holidays::nationalHolidayName(day);
                       !official.isEmpty()) {
                QTextCharFormat named = calendar_->dateTextFormat(day);
                named.setToolTip(official);
                calendar_->setDateTextFormat(day, named);
            }
        }
    }

    // Holidays and eves first, then the days given a table, each from today on.
    const QDate today = clock_.now().date();
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (DayPlan::Choice choice :
         {DayPlan::NoBells, DayPlan::WeekdayTable, DayPlan::WeekendTable}) {
        holidays::DateSet ahead = plan_.datesWith(choice, today.year(), today.year() + 1);
        ahead.erase(ahead.begin(), ahead.lower_bound(today));
        std::vector<holidays::Range> shown;
        for (const auto& [from, to] : holidays::ranges(ahead)) {
            // A bayram's days are named one by one; a break keeps its range.
            bool official = true;
            for (QDate d = from; d <= to && official; d = d.addDays(1))
                official = holidays::isNationalHoliday(d);
            if (choice == DayPlan::NoBells && official && from != to) {
                for (QDate d = from; d <= to; d = d.addDays(1))
                    shown.emplace_back(d, d);
            } else {
                shown.emplace_back(from, to);
            }
        }
        if (choice == DayPlan::NoBells) {
            for (QDate d = today; d.year() <= today.year() + 1; d = d.addDays(1)) {
                if (!plan_.halfDayOn(d).isEmpty())
                    shown.emplace_back(d, d);
            }
            std::sort(shown.begin(), shown.end());
        }
        for (const auto& [from, to] : shown) {
            QString text = rangeText(from, to);
            if (const QString eveName = plan_.halfDayOn(from); !eveName.isEmpty())
                text += QStringLiteral("  (") + eveName + kHalfDayNote + QLatin1Char(')');
            else if (choice != DayPlan::NoBells)
                text += QStringLiteral("  – ") + DayPlan::choiceName(choice);
            auto* item = new QListWidgetItem(text, list_);
            item->setData(Qt::UserRole, from);
            item->setData(Qt::UserRole + 1, to);
        }
    }
    for (int day = 1; day <= 7; ++day) {
        QComboBox* box = weekdays_[day - 1];
        box->setCurrentIndex(box->findData(int(plan_.weekdayChoice(day))));
    }
    // After an import the ceremony's settings may be new too.
    const QSignalBlocker quietSwitch(flagCeremony_);
    flagCeremony_->setChecked(values_.BayrakToreni == QLatin1String("1"));
    for (int day = 0; day < 2; ++day) {
        const QSignalBlocker quietCell(ceremonyTimes_[day]);
        ceremonyTimes_[day]->setText(values_.TorenSaati[day]);
    }
}
