// The era-aware date edit: a masked one-line box holding one calendar date, in
// Western form (1998/12/05) or in era form (H.10/12/05), with a small up/down
// button at its right edge. The date itself lives in EraDate; this widget shows
// it, reads back what was typed and turns keys and clicks into steps.
#pragma once

#include "EraDate.h"

#include <QLineEdit>
#include <QStringList>

#include <functional>

namespace torvel {

class SpinButton;
class EraLetterValidator;

class TDateEdit : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(double D_Date READ D_Date WRITE setD_Date)
    Q_PROPERTY(int D_Year READ D_Year WRITE setD_Year)
    Q_PROPERTY(int D_Month READ D_Month WRITE setD_Month)
    Q_PROPERTY(int D_Day READ D_Day WRITE setD_Day)
    Q_PROPERTY(bool D_Gengo READ D_Gengo WRITE setD_Gengo)
    Q_PROPERTY(QStringList D_GengoList READ D_GengoList WRITE setD_GengoList)

public:
    // Where the control's messages go. Message: a plain notice; Error: a
    // conversion error the command stops on; Beep: a refused click.
    enum class Notice
    {
        Message,
        Error,
        Beep
    };
    using NoticeHandler = std::function<void(Notice kind, const QString& text)>;

    static constexpr int SpinWidth = 17;
    static constexpr int SpinHeight = 19;

    explicit TDateEdit(QWidget* parent = nullptr);
    ~TDateEdit() override;

    // Reading the date first reads back the typed text.
    double D_Date();
    void setD_Date(double value);
    // The parts as stored: reading them does not read the typed text.
    int D_Year() const { return m_date.year(); }
    void setD_Year(int year);
    int D_Month() const { return m_date.month(); }
    void setD_Month(int month);
    int D_Day() const { return m_date.day(); }
    void setD_Day(int day);
    bool D_Gengo() const { return m_date.eraMode(); }
    void setD_Gengo(bool on);
    QStringList D_GengoList() const;
    void setD_GengoList(const QStringList& rows);

    // Reads the typed text back into the date and returns the normalised text.
    QString Text();
    // The box's text with its unfilled positions as blanks.
    QString boxText() const;

    // Replaces the message boxes and the beep (tests, or a host that must
    // never block); an empty handler restores them.
    void setNoticeHandler(NoticeHandler handler) { m_notice = std::move(handler); }
    SpinButton* spinButton() const { return m_spin; }

public Q_SLOTS:
    virtual void SpinUp();
    virtual void SpinDown();

Q_SIGNALS:
    void OnChangeDate();
    // The box's text changed, by typing or by the control itself.
    void OnChange();
    void OnClick();
    void OnExit();

protected:
    // Runs between a change of the date and its display.
    virtual void DateChanged();
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool readBack();
    void ShowDate();
    void setBoxText(const std::string& text);
    void spin(int delta);
    bool handleKey(int key);
    void applyMask();
    void updateEraLetters();
    void placeSpinButton();
    void updateMinimumHeight();
    void notify(Notice kind, const QString& text);

    EraDate m_date;
    SpinButton* m_spin = nullptr;
    EraLetterValidator* m_letters = nullptr;
    NoticeHandler m_notice;
};

} // namespace torvel
