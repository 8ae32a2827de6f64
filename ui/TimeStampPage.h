#pragma once

#include <QObject>

#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QDateTime;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace torvel {

namespace Ui {
class TForm1;
}

class FormHost;
class ListedFiles;
class RunCommand;
class TDateEdit;
class TMyFileList;
class UpDown;
struct RunResult;
struct ShootingDate;

// The time stamp page: one date and time for every listed file, taken from
// the first file, from a file of the grid's menu or from the clock, and the
// run that gives it to the files.
class TimeStampPage : public QObject
{
    Q_OBJECT
public:
    // listed: the preview, whose file list the page is filled from and whose shooting dates
    // the run reads when it takes those instead of the page's date.
    TimeStampPage(Ui::TForm1& ui, FormHost& host, ListedFiles& listed);

    // Fills the page from the first file, or from the clock when there is none.
    void fillFromFirstFile();
    void TSheetDate(const QDateTime& dateTime);
    // Fills the page from the file of grid row `row` (1: the first).
    void pTimeClick(int row);
    // Gives the composed stamp, or each file its own shooting date, to the
    // named files of `folder`; nothing when the date or time could not be
    // composed (no file was touched) or the run could not start.
    std::optional<RunResult> Date_Change(const std::string& folder, std::vector<std::string> names,
                                         RunCommand& run);

public Q_SLOTS:
    void DateEdit1Change();
    void DateButtonClick();
    // "撮影日時に合わせる": the page's date and time stand aside.
    void ShotDateCheckClick();

private:
    void connectBoxes();
    void dateBoxChanged(int part);
    void stepDateBox(int part, int delta);
    std::optional<int> boxNumber(const QString& text);
    std::vector<std::optional<ShootingDate>> shootingDates(const std::vector<std::string>& names);

    FormHost& m_host;
    TMyFileList& m_list;
    TDateEdit* m_date;         // DateEdit1
    QLineEdit* m_dateBoxes[3]; // SpinEdit3 to 5: year, month, day
    UpDown* m_steps[3];        // SpinButton1 to 3
    QSpinBox* m_hour;          // SpinEdit6
    QSpinBox* m_minute;        // SpinEdit7
    QSpinBox* m_second;        // SpinEdit8
    QPushButton* m_now;        // DateButton
    QCheckBox* m_fromShots;    // ShotDateCheck
};

} // namespace torvel
