// The modeless dialog that changes the number display format, live.
#pragma once

#include <QDialog>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

// An edit's up-down pair, bounded, no wrap.
class TUpDown : public QWidget {
    Q_OBJECT
public:
    TUpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent);
    int Min, Max;
    void Step(int delta);  // the buddy's number moved by delta within the bounds
signals:
    void Clicked();

private:
    QLineEdit* buddy_;
};

class TFlpointDlg : public QDialog {
    Q_OBJECT
public:
    // The three format settings of the program, and what repaints its grids.
    TFlpointDlg(QWidget* parent, int& fieldWidth, int& decimalPlaces, char& floatFormat,
                std::function<void()> invalidateGrids);

    QRadioButton* FixedPointButton;
    QRadioButton* ScientificButton;
    QRadioButton* MixedButton;
    QLineEdit* FWEdit;
    TUpDown* FWUpDown;
    QLineEdit* DPEdit;
    TUpDown* DPUpDown;
    QPushButton* CancelButton;
    QPushButton* ResetButton;
    QPushButton* OKButton;

    void SetControls();
    void SetFWidth(bool clamp);
    void SetDPWidth(bool clamp);

public slots:
    void FixedPointButtonClick();
    void ScientificButtonClick();
    void MixedButtonClick();
    void OKButtonClick();
    void CancelButtonClick();
    void ResetButtonClick();
    void FormDeactivate();

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetWidth(QLineEdit* edit, TUpDown* updown, int& value, bool clamp);
    void SetFormat(char format);

    int& fieldWidth_;
    int& decimalPlaces_;
    char& floatFormat_;
    std::function<void()> invalidateGrids_;
    int keptWidth_, keptPlaces_;
    char keptFormat_;
};
