// The window that exports the experts' quantiles, or each assessment's 101-point percentile
// table, of chosen experts and items as tab-separated columns: to one ".dis" file, to one file
// per expert and item, or to the clipboard.
#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace halvorine {

// A list of ids with a check mark each.
struct CheckList {
    std::vector<std::string> Ids;
    std::vector<bool> Checked;
    // The state F3 last gave the whole list.
    bool AllChecked = false;

    void Add(const std::string& id);
    // F3: the all-checked state inverted and given to every entry.
    void SelectAll();
    // F4: every entry's check inverted.
    void Invert();
};

// The window without its widgets.
class ExportListCore {
public:
    // The items of the first expert's assessments, in its slot order, and every expert; false
    // when either list stays empty (there is nothing to export).
    bool Fill();

    // Writes the checked experts' columns of the checked items. toFile false: the clipboard.
    // singleFile false (distributions to files only): one file per expert and item beside the
    // case, appended to.
    void ExportCaseData(bool toFile, bool distributions, bool singleFile);

    CheckList Items;
    CheckList Experts;
    // Told "Exporting " + expert + "/" + item for each column as it is written.
    std::function<void(const std::string&)> ShowCaption;
};

class TItemsListBoxForm : public QWidget {
    Q_OBJECT
public:
    explicit TItemsListBoxForm(QWidget* parent = nullptr);

    ExportListCore Core;
    // False when the lists could not be filled: the window is to go at once.
    bool Filled() const { return filled_; }

    QLabel* Label1 = nullptr;
    QListWidget* ItemsListBox = nullptr;
    QLabel* SelectExpertsLabel = nullptr;
    QListWidget* ExpertsListBox = nullptr;
    QLabel* F3ToggleLabel = nullptr;
    QLabel* F4InvertLabel = nullptr;
    QCheckBox* ToClipboardCheckBox = nullptr;
    QCheckBox* SingleFile = nullptr;
    QPushButton* OkButton = nullptr;

    bool FormCreate();
    void ItemsListBoxKeyUp(int key);
    void ExpertsListBoxKeyUp(int key);
    void ToClipboardCheckBoxClick();
    void SingleFileClick();
    void OkButtonClick();
    void FormDeactivate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ShowChecks(QListWidget* box, const CheckList& list);
    void ReadChecks(QListWidget* box, CheckList& list);
    bool filled_ = false;
    bool exporting_ = false;
    bool wasActive_ = false;
};

// The menu command's window: shown at once, or nothing when the case has nothing to export.
TItemsListBoxForm* OpenExportList();

}  // namespace halvorine
