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

    // ---- case operations ----
    bool CloseChildren() override;
    // Every sheet's save question, last window first, before any window closes: false at the
    // first that keeps its window (Cancel), and then every window stays as it was.
    bool ChildrenAgreeToClose();
    void MakeNewItemsForm() override;
    void CreateItemsSheet();
    void CreateExpertsSheet();
    void OpenCase() override;
    void FileSave(bool asNew) override;
    void Calculate();

    // ---- enabling ----
    void UpdateMenuItems() override;
    void File1Click() override;
    void Edit1Click() override;
    void Window1Click() override;

public slots:
    void FileCloseItemClick() override;
    void Experts1Click() override;
    void Assessments1Click() override;
    void UndoCtrlZ1Click() override;
    void CutCntrlX1Click() override;
    void ClearDel1Click() override;
    void PasteCtrlV1Click() override;
    void ToggleEditormode1Click() override;
    void EnableFiltering1Click() override;
    void FilterOnOff1Click() override;
    void Changefloatingpointformat1Click() override;
    void CalculateItemClick() override;
    void OpenExpertsWindow1Click() override;
    void OpenItemsWindow1Click() override;
    void HelpAboutItemClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    std::string CasePath() const override;
    std::string CaseName() const override;
    bool ChooseCaseFile(platform::FileChoice& choice, std::string& chosen) override;
    WindowFlagSet SheetFlags() const override;
    void FrameActivated() override;
    void Tell(const std::string& text) override;

private:
    // The components of WTrindel's own beside those of the frame.
    QMenu* CalculateMenu = nullptr;
    QAction* HelpAboutItem = nullptr;

    void BuildMenus();
    void BuildSpeedPanel();
    void SetCaption(const std::string& caption);
    void RepaintChildren();
};

inline const char* const SettingsFileName = "trindel.ini";

}  // namespace trindel
