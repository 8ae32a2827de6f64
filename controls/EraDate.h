// The date held by the era-aware date edit, without any widget: the stored
// value and its parts, the era table, the texts shown for both display modes,
// reading a typed text back, and stepping by day and by month.
//
// A date is a day count since 1899-12-30 with the time of day as fraction.
// Every date before 1868-01-01 is kept as one sentinel, the blank date, shown as
// an empty box. Texts are UTF-8; a "column" of a text is one character.
#pragma once

#include <string>
#include <vector>

namespace torvel {

class EraDate
{
public:
    // 1867-12-31: the value and the parts every date before 1868 collapses to.
    static constexpr double BlankDate = -11687.0;
    static constexpr int BlankYear = 1867;
    static constexpr int BlankMonth = 12;
    static constexpr int BlankDay = 31;
    // The last day a four-digit year field can show.
    static constexpr int LastYear = 9999;

    // What reading a typed text back gave.
    struct ParseResult
    {
        // False when a field of an era text is not a number: nothing was stored
        // and the box keeps what was typed; `message` holds the conversion error.
        bool read = true;
        // The text the box shows afterwards.
        std::string text;
        // Shown to the person before going on, when not empty.
        std::string message;
    };

    // A blank date, Western display, the default era table.
    EraDate();

    static std::vector<std::string> defaultEraRows();
    const std::vector<std::string>& eraRows() const { return m_eraRows; }
    void setEraRows(std::vector<std::string> rows) { m_eraRows = std::move(rows); }
    // The letters of the usable era rows, each once, in table order.
    std::vector<std::string> eraLetters() const;

    bool eraMode() const { return m_eraMode; }
    void setEraMode(bool on) { m_eraMode = on; }

    double value() const { return m_value; }
    int year() const { return m_year; }
    int month() const { return m_month; }
    int day() const { return m_day; }
    bool isBlank() const { return m_year <= BlankYear; }
    void setBlank();

    // The one validating store: years up to 1867 give the blank date, month and
    // day are clamped into range and to the month's length; time of day zero.
    void ApplyYMD(int year, int month, int day);

    // Assigning the whole value keeps its time of day; before 1868 it is blank.
    void assignValue(double value);
    // Property writes: a value out of range is refused (false) and nothing changes.
    bool assignYear(int year);
    bool assignMonth(int month);
    bool assignDay(int day);

    // One day forward or back (a blank date becomes `today` instead).
    void stepDays(int delta, double today);
    // One month forward or back, the day clamped to the new month.
    void stepMonths(int delta);

    // The text the box shows for the stored date in the current mode.
    std::string ShowDate() const;
    std::string blankText() const;

    // Reads a box text (blanks as spaces) back into the date.
    ParseResult parse(const std::string& boxText);

    static std::string unknownEraMessage(const std::string& letter);
    static std::string notIntegerMessage(const std::string& field);
    // The last two characters of "0" followed by the number.
    static std::string twoDigits(int number);
    // The local calendar day of now, as a value with no time of day.
    static double todayValue();

private:
    struct EraRow;
    std::vector<EraRow> usableRows() const;
    void storeDay(long long dayNumber, double value);
    std::string eraTextOf(int year, int month, int day) const;
    ParseResult parseWestern(const std::u32string& text);
    ParseResult parseEra(const std::u32string& text, const std::string& boxText);

    std::vector<std::string> m_eraRows;
    bool m_eraMode = false;
    double m_value = BlankDate;
    int m_year = BlankYear;
    int m_month = BlankMonth;
    int m_day = BlankDay;
};

} // namespace torvel
