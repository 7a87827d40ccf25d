// The run dialog: one MDI child where the run options are set, a decision maker is calculated
// (RUN), the robustness runs are started and the result views are opened.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>

#include "workbench/run_dialog_core.h"

namespace halvorine {

class TRunDlgFrm;

// The open run dialog, or null.
TRunDlgFrm* OpenRunDialog();

class TRunDlgFrm : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TRunDlgFrm(QMdiArea* area);
    ~TRunDlgFrm() override;

    // ---- components ----
    QLabel* Banner = nullptr;
    QLabel* Label2 = nullptr;
    QGroupBox* WeightsGroup = nullptr;
    QRadioButton* GlButton = nullptr;
    QRadioButton* EqButton1 = nullptr;
    QRadioButton* ItButton = nullptr;
    QRadioButton* UsButton = nullptr;
    QCheckBox* DMOptBox = nullptr;
    QCheckBox* BayUpdBox = nullptr;
    QCheckBox* DiscrBox = nullptr;
    QLabel* CalibrLabel = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* CalPowerEdit = nullptr;
    QLabel* CaliPowerLabel = nullptr;
    QLabel* IntRangeLabel = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* IntRangeEdit = nullptr;
    QLabel* IRangeLabel = nullptr;
    QLabel* DMLabel = nullptr;
    QLineEdit* DMname = nullptr;
    QLabel* SignLevelLabel = nullptr;
    QLabel* SignLevelLabelMin = nullptr;
    QLineEdit* SignLevelEdit = nullptr;
    QLabel* SignLevelLabelMax = nullptr;
    QLabel* Label4 = nullptr;
    QGroupBox* Chi2Box = nullptr;
    QRadioButton* Chi2NewButton = nullptr;
    QRadioButton* Chi2OldButton = nullptr;
    QGroupBox* InfGroupBox = nullptr;
    QRadioButton* InfNewButton = nullptr;
    QRadioButton* InfOldButton = nullptr;
    QLabel* StartLabel = nullptr;
    QPushButton* RunButton = nullptr;
    QPushButton* RobItButton = nullptr;
    QPushButton* RobExButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* ResetButton = nullptr;
    QWidget* DisplayPanel = nullptr;
    QLabel* DisplayLabel = nullptr;
    QPushButton* DSolutionButton = nullptr;
    QPushButton* DEScoresButton = nullptr;
    QPushButton* DBLossButton = nullptr;
    QPushButton* DRobustnessButton = nullptr;
    QPushButton* RangeItemsButton = nullptr;
    QPushButton* RangeExpertsButton = nullptr;

    // ---- methods ----
    void NewWeight(int kind);
    void SignLevelGroup();
    void OpenItemsForm();
    bool CalPowerCheck();
    bool IntRangeCheck();
    bool SignLevelCheck();
    void DisplayError(int code);
    bool RunCheck();
    void UpdateLossCaption();
    void UpdateRobCaption();
    void UpdateDEScoresCaption();
    // The three result captions at once.
    void ResetCaptions();
    void ExtendWithLabel(bool show);
    void DisplayExperts();
    void UpdateExperts(int mode);
    void Display_solution();
    void ResetRunDialog();
    void CreateRangeGraph(int kind);
    // The robustness runs' part of the dialog: button states around CalcRob.
    void RobButton(bool onExperts);

    bool DisplayShown() const { return displayShown_; }
    // The edit's colour says whether its check passed.
    static bool IsRed(const QLineEdit* edit);

public slots:
    void FormActivate();
    void GlButtonClick();
    void EqButton1Click();
    void ItButtonClick();
    void UsButtonClick();
    void Chi2NewButtonClick();
    void Chi2OldButtonClick();
    void InfNewButtonClick();
    void InfOldButtonClick();
    void DMOptBoxClick();
    void BayUpdBoxClick();
    void CalPowerEditExit();
    void IntRangeEditExit();
    void DMnameExit();
    void SignLevelEditExit();
    void RunButtonClick();
    void RobItButtonClick();
    void RobExButtonClick();
    void DSolutionButtonClick();
    void DEScoresButtonClick();
    void DBLossButtonClick();
    void DRobustnessButtonClick();
    void RangeItemsButtonClick();
    void RangeExpertsButtonClick();
    void CancelButtonClick();
    void ResetButtonClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void FormCreate();
    void SetRed(QLineEdit* edit, bool red);
    void BringToFront(QMdiSubWindow* window);
    void RepaintSheets();
    void ShowFaultyExpert(int expert, int itemRow);
    void Message(const std::string& text);
    bool displayShown_ = false;
};

}  // namespace halvorine
