#include "TimeStampPage.h"
#include "Utf8Text.h"

#include "ui_MainForm.h"

#include <QCheckBox>
#include <QDateTime>
#include <QSignalBlocker>

#include <algorithm>
#include <climits>
#include <string_view>
#include <unordered_map>

#include "DateChange.h"
#include "DateEdit.h"
#include "DosDateTime.h"
#include "FilesList.h"
#include "FormHost.h"
#include "DurableFile.h"
#include "RunCommand.h"
#include "PosixFileSystem.h"
#include "Preview.h"
#include "RunTypes.h"
#include "UpDown.h"
#include "WindowFeedback.h"

namespace torvel {

namespace {

// The year, month and day boxes of the page.
constexpr int kYearPart = 0;
constexpr int kMonthPart = 1;
constexpr int kDayPart = 2;
// A year box counts only once it holds four characters, so that typing
// "2", "20", "202" on the way to "2024" does not touch the date; the month and
// day boxes count as soon as they hold anything.
constexpr int kCountingLength[3] = {4, 1, 1};

int datePart(const TDateEdit& edit, int part)
{
    return part == kYearPart ? edit.D_Year() : part == kMonthPart ? edit.D_Month() : edit.D_Day();
}

void setDatePart(TDateEdit& edit, int part, int value)
{
    if (part == kYearPart) {
        edit.setD_Year(value);
    } else if (part == kMonthPart) {
        edit.setD_Month(value);
    } else {
        edit.setD_Day(value);
    }
}

// Rewrites a box only when its text differs, so that an unchanged box sends
// no change of its own back into the date edit.
void showNumber(QLineEdit* box, int value)
{
    const QString text = QString::number(value);
    if (box->text() != text) {
        box->setText(text);
    }
}

// The hour, minute or second as typed, before the box has clamped it: the
// number, or the box's minimum when the text is no number.
int typedValue(const QSpinBox* box)
{
    bool ok = false;
    const int value = box->cleanText().trimmed().toInt(&ok);
    return ok ? value : box->minimum();
}

// The last-write time of item `index` of the list as local date and time.
std::optional<QDateTime> stampOfItem(const TMyFileList& list, int index)
{
    const TMyFileItem* item = list.item(index);
    if (item == nullptr) {
        return std::nullopt;
    }
    // The two-second step of the real instant: the packed stamp where that
    // can hold it, and right also for stamps the packed form cannot hold.
    LocalDateTime local;
    if (!localFromInstant(item->TimeKey * 2, local)) {
        return std::nullopt;
    }
    return QDateTime(QDate(local.year, local.month, local.day),
                     QTime(local.hour, local.minute, local.second));
}

} // namespace

TimeStampPage::TimeStampPage(Ui::TForm1& ui, FormHost& host, ListedFiles& listed)
    : m_host(host)
    , m_list(listed.files())
    , m_date(ui.DateEdit1)
    , m_dateBoxes{ui.SpinEdit3, ui.SpinEdit4, ui.SpinEdit5}
    , m_steps{ui.SpinButton1, ui.SpinButton2, ui.SpinButton3}
    , m_hour(ui.SpinEdit6)
    , m_minute(ui.SpinEdit7)
    , m_second(ui.SpinEdit8)
    , m_now(ui.DateButton)
    , m_fromShots(new QCheckBox(QStringLiteral("撮影日時に合わせる"), ui.TabSheet3))
{
    m_fromShots->setObjectName(QStringLiteral("ShotDateCheck"));
    m_fromShots->setGeometry(15, 100, 200, 22);
    m_fromShots->setToolTip(
        QStringLiteral("それぞれのファイルに記録された撮影日時を更新日時にします。"));
    // Designer stores font sizes in points; the date edit's text is 17
    // pixels high.
    QFont dateFont = m_date->font();
    dateFont.setPixelSize(17);
    m_date->setFont(dateFont);
    connectBoxes();
}

void TimeStampPage::connectBoxes()
{
    connect(m_date, &TDateEdit::OnChange, this, &TimeStampPage::DateEdit1Change);
    connect(m_date, &TDateEdit::OnClick, this, &TimeStampPage::DateEdit1Change);
    for (int part : {kYearPart, kMonthPart, kDayPart}) {
        connect(m_dateBoxes[part], &QLineEdit::textChanged, this,
                [this, part] { dateBoxChanged(part); });
        connect(m_steps[part], &UpDown::upClicked, this, [this, part] { stepDateBox(part, 1); });
        connect(m_steps[part], &UpDown::downClicked, this, [this, part] { stepDateBox(part, -1); });
    }
    connect(m_now, &QPushButton::clicked, this, &TimeStampPage::DateButtonClick);
    connect(m_fromShots, &QCheckBox::toggled, this, &TimeStampPage::ShotDateCheckClick);
}

void TimeStampPage::ShotDateCheckClick()
{
    const bool own = !m_fromShots->isChecked();
    QWidget* const dateControls[] = {m_date,     m_dateBoxes[0], m_dateBoxes[1], m_dateBoxes[2],
                                     m_steps[0], m_steps[1],     m_steps[2],     m_hour,
                                     m_minute,   m_second,       m_now};
    for (QWidget* control : dateControls) {
        control->setEnabled(own);
    }
}

// The shooting date of each named file, read once per reading of the list.
std::vector<std::optional<ShootingDate>>
TimeStampPage::shootingDates(const std::vector<std::string>& names)
{
    m_list.readShootingDates();
    // The grid lists the files in the list's order; should a row differ,
    // its name is looked up.
    std::unordered_map<std::string_view, int> rows;
    std::vector<std::optional<ShootingDate>> dates(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        int index = static_cast<int>(i);
        if (index >= m_list.Count() || m_list.fileNameAt(index) != names[i]) {
            if (rows.empty()) {
                for (int k = 0; k < m_list.Count(); ++k) {
                    rows.emplace(m_list.fileNameAt(k), k);
                }
            }
            const auto found = rows.find(names[i]);
            index = found == rows.end() ? -1 : found->second;
        }
        dates[i] = m_list.shootingDate(index);
    }
    return dates;
}

void TimeStampPage::fillFromFirstFile()
{
    TSheetDate(stampOfItem(m_list, 0).value_or(QDateTime::currentDateTime()));
}

void TimeStampPage::TSheetDate(const QDateTime& dateTime)
{
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    // Year first and day last: the day is clamped to the month it lands in.
    m_date->setD_Year(date.year());
    m_date->setD_Month(date.month());
    m_date->setD_Day(date.day());
    // Also when the date stayed as it was, the boxes show it afterwards.
    DateEdit1Change();
    m_hour->setValue(time.hour());
    m_minute->setValue(time.minute());
    m_second->setValue(time.second());
}

void TimeStampPage::pTimeClick(int row)
{
    if (const std::optional<QDateTime> stamp = stampOfItem(m_list, row - 1)) {
        TSheetDate(*stamp);
    }
}

void TimeStampPage::DateButtonClick()
{
    TSheetDate(QDateTime::currentDateTime());
}

void TimeStampPage::DateEdit1Change()
{
    for (int part : {kYearPart, kMonthPart, kDayPart}) {
        showNumber(m_dateBoxes[part], datePart(*m_date, part));
    }
}

std::optional<int> TimeStampPage::boxNumber(const QString& text)
{
    try {
        return wholeNumber(text.toStdString());
    } catch (const ConversionError& error) {
        m_host.showErrorMessage(utf8Text(error.what()));
        return std::nullopt;
    }
}

// A box hands its number to the date edit, which refuses a value out of range
// and pulls a day back into its month; the box then shows what was taken.
void TimeStampPage::dateBoxChanged(int part)
{
    QLineEdit* box = m_dateBoxes[part];
    const QString text = box->text();
    if (text.size() < kCountingLength[part]) {
        return;
    }
    const std::optional<int> number = boxNumber(text);
    if (!number) {
        return;
    }
    setDatePart(*m_date, part, *number);
    showNumber(box, datePart(*m_date, part));
}

void TimeStampPage::stepDateBox(int part, int delta)
{
    QLineEdit* box = m_dateBoxes[part];
    const std::optional<int> number = boxNumber(box->text());
    if (!number) {
        return;
    }
    const long long next = static_cast<long long>(*number) + delta;
    {
        // The box's own change handler runs once, below, also for a text the
        // box already held.
        const QSignalBlocker quiet(box);
        box->setText(QString::number(std::clamp<long long>(next, INT_MIN, INT_MAX)));
    }
    dateBoxChanged(part);
}

std::optional<RunResult> TimeStampPage::Date_Change(const std::string& folder,
                                                    std::vector<std::string> names, RunCommand& run)
{
    DateChangeInput input;
    input.year = m_date->D_Year();
    input.month = m_date->D_Month();
    input.day = m_date->D_Day();
    input.hour = typedValue(m_hour);
    input.minute = typedValue(m_minute);
    input.second = typedValue(m_second);
    input.folder = folder;
    input.names = std::move(names);
    input.fromShootingDates = m_fromShots->isChecked();
    try {
        // A date or time that cannot be composed ends the run before the
        // progress bar appears and before any file.
        if (input.fromShootingDates) {
            input.shootingDates = shootingDates(input.names);
        } else {
            (void)composeDosStamp(input.year, input.month, input.day, input.hour, input.minute,
                                  input.second);
        }
        // Journaled, so that 元に戻す gives the old times back.
        return run.carryOut(static_cast<int>(input.names.size()), [&](RunServices& services) {
            return torvel::Date_Change(input, services);
        });
    } catch (const ConversionError& error) {
        m_host.showErrorMessage(utf8Text(error.what()));
        return std::nullopt;
    }
}

} // namespace torvel
