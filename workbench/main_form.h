// The frame of the analysis program: menus, tool bar and status bar around the MDI area that
// holds the windows of the one open case, and the commands on the case as a whole.
#pragma once

#include <string>

#include "common/ui/main_frame.h"

class QAction;
class QMdiSubWindow;
class QMenu;
enum class ExportTarget;  // common/core/sheet_export.h

namespace halvorine {

class TExpertsSheet;
class TItemsSheet;

class TMainForm : public TMainFrame {
    Q_OBJECT
public:
    // prompts: the platform services to use (tests); null: the real ones, on this window.
    explicit TMainForm(platform::Prompts* prompts = nullptr);
    ~TMainForm() override;

    // ---- case operations ----
    void CreateExpertsSheet();
    void CreateItemsSheet();
    void MakeNewItemsForm() override;
    bool CloseChildren() override;
    void KillUndos();
    void OpenCase() override;
    void MergeAssessments();
    void FileSave(bool asNew) override;

    // ---- enabling ----
    void UpdateMenuItems() override;
    void File1Click() override;
    void Edit1Click() override;
    void Window1Click() override;
    void ListChildWindows();

public slots:
    // File menu
    void MergeAssessmentsFile1Click();
    void FileCloseItemClick() override;
    void SaveRangeGraph1Click();
    void DMSolution1Click();
    void ExpertScoresClick();
    void RobustnessExperts1Click();
    void RobustnessItems1Click();
    void CopySolutionToClipboard1Click();
    void Questionnaire1Click();
    void Quantiles1Click();
    void Distributions1Click();
    // The sheets
    void OpenItemsWindow1Click() override;
    void Experts1Click() override;
    void OpenExpertsWindow1Click() override;
    void Assessments1Click() override;
    void CalculateItemClick() override;
    void RunButtonClick();
    // Edit menu
    void UndoCtrlZ1Click() override;
    void CutCntrlX1Click() override;
    void ClearDel1Click() override;
    void PasteCtrlV1Click() override;
    void ToggleEditormode1Click() override;
    void EnableFiltering1Click() override;
    void FilterOnOff1Click() override;
    void Changefloatingpointformat1Click() override;
    void ChangeallscalestoUNI1Click();
    void ChangeallscalestoLOG1Click();
    void ClearallUserWeights1Click();
    // Window and Help menus
    void RunWTrindel1Click();
    void WHALVORINHelp1Click();
    void AboutWHALVORIN1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    std::string CasePath() const override;
    std::string CaseName() const override;
    bool ChooseCaseFile(platform::FileChoice& choice, std::string& chosen) override;
    WindowFlagSet SheetFlags() const override;
    void Tell(const std::string& text) override;

private:
    // ---- the components of Halvorine's own beside those of the frame ----
    QAction* MergeAssessmentsFile1 = nullptr;
    QAction* SaveRangeGraph1 = nullptr;
    QAction* Exportastext1 = nullptr;
    QAction* DMSolution1 = nullptr;
    QAction* ExpertScores = nullptr;
    QAction* RobustnessExperts1 = nullptr;
    QAction* RobustnessItems1 = nullptr;
    QAction* CopySolutionToClipboard1 = nullptr;
    QAction* Questionnaire1 = nullptr;
    QAction* ExportAsSpaceDelimited = nullptr;
    QAction* Quantiles1 = nullptr;
    QAction* Distributions1 = nullptr;
    QAction* ChangeallscalestoUNI1 = nullptr;
    QAction* ChangeallscalestoLOG1 = nullptr;
    QAction* ClearallUserWeights1 = nullptr;
    QAction* RunWTrindel1 = nullptr;
    QAction* AboutWHALVORIN1 = nullptr;
    QAction* WHALVORINHelp1 = nullptr;

    // Speed buttons of the tool bar, kept hidden.
    QAction* PrintButton = nullptr;
    QAction* GraphicsButton = nullptr;

    void BuildMenus();
    void BuildSpeedPanel();
    void SetCaption(const std::string& caption);
    void ShowCaseCaption();
    void RepaintAll();
    void SetAllScalesCommand(int index);
    void ExportResultSheet(bool isItems, ExportTarget target);
    TItemsSheet* RealisationsSheet() const;
    QList<QAction*> windowList_;
    QAction* windowListSeparator_ = nullptr;
};

// The one main window of the program (null before it is made and after it has gone).
extern TMainForm* MainForm;

// The settings file beside the program.
inline const char* const SettingsFileName = "halvorin.ini";
// The frame caption at start, which the About box shows too.
inline const char* const ProgramTitle = "Halvorine v1.0";

}  // namespace halvorine
