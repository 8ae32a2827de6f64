// The time stamp page and the attribute page of the main window, with the
// doorways of their runs, and the window's side of a run's feedback.
#include "MainForm.h"
#include "Utf8Text.h"

#include "PreviewGrid.h"
#include "ui_MainForm.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QSignalBlocker>

#include <algorithm>
#include <array>
#include <climits>

#include "AttrChange.h"
#include "DateChange.h"
#include "DateEdit.h"
#include "DosDateTime.h"
#include "FileAttributes.h"
#include "FilesList.h"
#include "PosixFileSystem.h"
#include "StatusLine.h"
#include "WindowFeedback.h"

namespace torvel {

namespace {

// The year, month and day boxes of the time stamp page.
constexpr int kYearPart = 0;
constexpr int kMonthPart = 1;
constexpr int kDayPart = 2;
// A year box counts only once it holds four characters, so that typing
// "2", "20", "202" on the way to "2024" does not touch the date; the month and
// day boxes count as soon as they hold anything.
constexpr int kCountingLength[3] = {4, 1, 1};

QLineEdit* dateBox(Ui::TForm1& ui, int part)
{
    QLineEdit* boxes[3] = {ui.SpinEdit3, ui.SpinEdit4, ui.SpinEdit5};
    return boxes[part];
}

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
std::optional<QDateTime> stampOfItem(const TMyFileList* list, int index)
{
    const TMyFileItem* item = list != nullptr ? list->item(index) : nullptr;
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

QGroupBox* attrGroup(Ui::TForm1& ui, int group)
{
    QGroupBox* groups[attrGroupCount] = {ui.RadioGroup4, ui.RadioGroup5, ui.RadioGroup6};
    return groups[group];
}

} // namespace

// ---------------------------------------------------------------------------
// What the pages are filled from and what the runs work on

std::vector<std::string> TForm1::listedNames() const
{
    std::vector<std::string> names;
    if (fileListCount() == 0)
        return names; // the grid keeps one empty row when nothing is listed
    const PreviewGrid& grid = previewGrid();
    names.reserve(static_cast<std::size_t>(grid.RowCount() - 1));
    for (int row = 1; row < grid.RowCount(); ++row)
        names.push_back(grid.currentName(row));
    return names;
}

void TForm1::FeedbackDeleter::operator()(WindowFeedback* feedback) const
{
    delete feedback;
}

WindowFeedback& TForm1::runFeedback()
{
    if (!m_runFeedback) {
        m_runFeedback.reset(new WindowFeedback(this, ui->StatusBar1));
    }
    return *m_runFeedback;
}

// ---------------------------------------------------------------------------
// Time stamp page

std::optional<QDateTime> TForm1::firstFileDateTime() const
{
    return stampOfItem(&fileList(), 0);
}

void TForm1::TSheetDate(const QDateTime& dateTime)
{
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    // Year first and day last: the day is clamped to the month it lands in.
    ui->DateEdit1->setD_Year(date.year());
    ui->DateEdit1->setD_Month(date.month());
    ui->DateEdit1->setD_Day(date.day());
    // Also when the date stayed as it was, the boxes show it afterwards.
    DateEdit1Change();
    ui->SpinEdit6->setValue(time.hour());
    ui->SpinEdit7->setValue(time.minute());
    ui->SpinEdit8->setValue(time.second());
}

void TForm1::pTimeClick(int row)
{
    if (const std::optional<QDateTime> stamp = stampOfItem(&fileList(), row - 1)) {
        TSheetDate(*stamp);
    }
}

void TForm1::DateButtonClick()
{
    TSheetDate(QDateTime::currentDateTime());
}

void TForm1::DateEdit1Change()
{
    for (int part : {kYearPart, kMonthPart, kDayPart}) {
        showNumber(dateBox(*ui, part), datePart(*ui->DateEdit1, part));
    }
}

void TForm1::SpinEdit3Change()
{
    dateBoxChanged(kYearPart);
}

void TForm1::SpinEdit4Change()
{
    dateBoxChanged(kMonthPart);
}

void TForm1::SpinEdit5Change()
{
    dateBoxChanged(kDayPart);
}

void TForm1::SpinButton1UpClick()
{
    stepDateBox(kYearPart, 1);
}

void TForm1::SpinButton1DownClick()
{
    stepDateBox(kYearPart, -1);
}

void TForm1::SpinButton2UpClick()
{
    stepDateBox(kMonthPart, 1);
}

void TForm1::SpinButton2DownClick()
{
    stepDateBox(kMonthPart, -1);
}

void TForm1::SpinButton3UpClick()
{
    stepDateBox(kDayPart, 1);
}

void TForm1::SpinButton3DownClick()
{
    stepDateBox(kDayPart, -1);
}

std::optional<int> TForm1::boxNumber(const QString& text)
{
    try {
        return wholeNumber(text.toStdString());
    } catch (const ConversionError& error) {
        showErrorMessage(utf8Text(error.what()));
        return std::nullopt;
    }
}

// A box hands its number to the date edit, which refuses a value out of range
// and pulls a day back into its month; the box then shows what was taken.
void TForm1::dateBoxChanged(int part)
{
    QLineEdit* box = dateBox(*ui, part);
    const QString text = box->text();
    if (text.size() < kCountingLength[part]) {
        return;
    }
    const std::optional<int> number = boxNumber(text);
    if (!number) {
        return;
    }
    setDatePart(*ui->DateEdit1, part, *number);
    showNumber(box, datePart(*ui->DateEdit1, part));
}

void TForm1::stepDateBox(int part, int delta)
{
    QLineEdit* box = dateBox(*ui, part);
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

std::optional<ChangeResult> TForm1::Date_Change()
{
    DateChangeInput input;
    input.year = ui->DateEdit1->D_Year();
    input.month = ui->DateEdit1->D_Month();
    input.day = ui->DateEdit1->D_Day();
    input.hour = typedValue(ui->SpinEdit6);
    input.minute = typedValue(ui->SpinEdit7);
    input.second = typedValue(ui->SpinEdit8);
    input.folder = SearchDir;
    input.names = listedNames();
    PosixFileSystem fs;
    try {
        // A date or time that cannot be composed ends the run before the
        // progress bar appears and before any file.
        (void)composeDosStamp(input.year, input.month, input.day, input.hour, input.minute,
                              input.second);
        WindowFeedback::RunScope run(runFeedback(), static_cast<int>(input.names.size()));
        return torvel::Date_Change(input, fs, runFeedback());
    } catch (const ConversionError& error) {
        showErrorMessage(utf8Text(error.what()));
        return std::nullopt;
    }
}

// ---------------------------------------------------------------------------
// Attribute page

std::int32_t TForm1::firstFileAttr() const
{
    return static_cast<std::int32_t>(attrStartWord(fileList()));
}

void TForm1::TSheetPro()
{
    SetRadio5();
}

void TForm1::SetRadio5()
{
    const auto items = attrItemsOf(static_cast<std::uint32_t>(firstFileAttr()));
    for (int group = 0; group < attrGroupCount; ++group) {
        m_attrGroups[group]->button(static_cast<int>(items[static_cast<std::size_t>(group)]))->setChecked(true);
    }
    // Last: choosing an item above has marked its group as changed.
    for (int group = 0; group < attrGroupCount; ++group) {
        attrGroup(*ui, group)->setProperty("Tag", attrTagUntouched(group));
    }
}

void TForm1::ClickRadio5(QGroupBox* Sender)
{
    if (Sender == nullptr) {
        return;
    }
    const int tag = Sender->property("Tag").toInt();
    const int group = attrGroupOfTag(tag);
    if (group >= 0 && group < attrGroupCount) {
        attrGroup(*ui, group)->setProperty("Tag", attrChangedTag(tag));
    }
}

AttrItem TForm1::radioGroupItem(int group) const
{
    // A group with no item chosen counts as "解除".
    const int id = group >= 0 && group < attrGroupCount ? m_attrGroups[group]->checkedId() : -1;
    return id == static_cast<int>(AttrItem::Set) ? AttrItem::Set : AttrItem::Clear;
}

ChangeResult TForm1::Attr_Change()
{
    std::array<AttrChoice, attrGroupCount> choices {};
    for (int group = 0; group < attrGroupCount; ++group) {
        const int tag = attrGroup(*ui, group)->property("Tag").toInt();
        choices[static_cast<std::size_t>(group)] = attrChoice(radioGroupItem(group), tag);
    }
    AttrChangeInput input;
    input.masks = attrMasks(choices);
    input.folder = SearchDir;
    if (input.masks.anyChange) {
        input.names = listedNames();
    }
    ChangeResult result;
    if (!input.names.empty()) {
        PosixFileSystem fs;
        WindowFeedback::RunScope run(runFeedback(), static_cast<int>(input.names.size()));
        result = torvel::Attr_Change(input, fs, runFeedback());
    }
    SetRadio5();
    return result;
}

} // namespace torvel
