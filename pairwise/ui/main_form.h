// WTrindel's frame: menus, tool bar and status bar around the MDI area holding the windows of
// the one open case, and the commands on the case as a whole.
#pragma once

#include <string>

#include "common/ui/main_frame.h"

class QAction;
class QMdiSubWindow;
class QMenu;

namespace trindel {

class TMainForm : public TMainFrame {
    Q_OBJECT
public:
    // prompts: the platform services to use (tests); null: the real ones, on this window.
    explicit TMainForm(platform::Prompts* prompts = nullptr);
    ~TMainForm() override;

    QMenu* File1 = nullptr;
    QAction* NewItemFileClick = nullptr;
    QAction* OpenASCIIItemsfle1 = nullptr;
    QAction* FileCloseItem = nullptr;
    QAction* FileSaveItem = nullptr;
    QAction* FileSaveAsItem = nullptr;
    QAction* FileExitItem = nullptr;
    QAction* Items1 = nullptr;
    QAction* Experts1 = nullptr;
    QAction* Assessments1 = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* UndoCtrlZ1 = nullptr;
    QAction* CutCntrlX1 = nullptr;
    QAction* ClearDel1 = nullptr;
    QAction* PasteCtrlV1 = nullptr;
    QAction* ToggleEditormode1 = nullptr;
    QAction* EnableFiltering1 = nullptr;
    QAction* FilterOnOff1 = nullptr;
    QAction* Changefloatingpointformat1 = nullptr;
    QMenu* CalculateMenu = nullptr;
    QAction* CalculateItem = nullptr;
    QMenu* Window1 = nullptr;
    QAction* WindowCascadeItem = nullptr;
    QAction* WindowTileItem = nullptr;
    QAction* WindowArrangeItem = nullptr;
    QAction* WindowMinimizeItem = nullptr;
    QAction* CloseAllWindows = nullptr;
    QAction* OpenExpertsWindow1 = nullptr;
    QAction* OpenItemsWindow1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* HelpAboutItem = nullptr;

    QAction* NewFileButton = nullptr;
    QAction* OpenBtn = nullptr;
    QAction* SaveBtn = nullptr;
    QAction* RunButton = nullptr;
    QAction* ExitBtn = nullptr;

    // ---- case operations ----
    bool CloseChildren() override;
    void MakeNewItemsForm();
    void CreateItemsSheet();
    void CreateExpertsSheet();
    void OpenCase();
    void FileSave(bool asNew);
    void ShowLoadError(const std::string& kind, const std::string& path, int line);
    void Calculate();

    // ---- enabling ----
    void UpdateMenuItems() override;
    void File1Click();
    void Edit1Click();
    void Window1Click();
    void DisableEditItems();

public slots:
    void NewFileButtonClick();
    void NewItemFileClickClick();
    void OpenASCIIItemsfle1Click();
    void FileCloseItemClick();
    void FileSaveItemClick();
    void FileSaveAsItemClick();
    void Items1Click();
    void Experts1Click();
    void Assessments1Click();
    void UndoCtrlZ1Click();
    void CutCntrlX1Click();
    void ClearDel1Click();
    void PasteCtrlV1Click();
    void ToggleEditormode1Click();
    void EnableFiltering1Click();
    void FilterOnOff1Click();
    void Changefloatingpointformat1Click();
    void CalculateItemClick();
    void OpenExpertsWindow1Click();
    void OpenItemsWindow1Click();
    void HelpAboutItemClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    std::string CasePath() const override;
    void FrameActivated() override;

private:
    void BuildMenus();
    void BuildSpeedPanel();
    void SetCaption(const std::string& caption);
    void RepaintChildren();
    void Tell(const std::string& text);
};

inline const char* const SettingsFileName = "trindel.ini";

}  // namespace trindel
