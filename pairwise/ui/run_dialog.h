// The run dialog, which sets the run options, checks the case and starts the comparison run,
// and the results window, which shows the report the run wrote.
#pragma once

#include <QList>
#include <QPointer>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include <string>
#include <vector>

#include "pairwise/ui/window_state.h"

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class ReportView;

namespace trindel {

inline const char* const CalcErrorNames[5] = {"", "Zero divide", "Floating point overflow",
                                              "Invalid floating point operation", "Input/Output error"};

class TRangeGraphWindow;

class TRunDlgFrm : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TRunDlgFrm(QMdiArea* area);
    ~TRunDlgFrm() override;

    QCheckBox* ScaleTransformBox = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QCheckBox* ConfidenceIntervalsBox = nullptr;
    QPushButton* RunButton = nullptr;
    QPushButton* DSolutionButton = nullptr;
    QPushButton* RangeItemsButton = nullptr;
    QPushButton* RangeExpertsButton = nullptr;

    bool CheckTransform(bool ask);
    bool RunCheck();
    void ShowCalcError(int index);
    void CreateRangeGraph(int kind);

public slots:
    void ScaleTransformBoxClick();
    void ConfidenceIntervalsBoxClick();
    void RunButtonClick();
    void DSolutionButtonClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The results windows this dialog made: they go with it, and no other dialog's do.
    QList<QPointer<QMdiSubWindow>> ownWindows_;
};

class TRangeGraphWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TRangeGraphWindow(QMdiArea* area);
    ~TRangeGraphWindow() override;

    ReportView* Memo1 = nullptr;
    int Kind = ItemsWiseGraph;

    // Reads CaseName + ".ouc" from the current directory into the memo; raises IoError.
    void LoadReport();
    void AppendReportLine(const std::string& line);
    // The memo's lines as bytes (the first is the empty line it starts with).
    std::vector<std::string> Lines() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Forget();
};

}  // namespace trindel
