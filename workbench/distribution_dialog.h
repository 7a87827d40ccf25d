// The dialog that describes one expert's assessment of one item by a parametric distribution:
// the family's parameters in up to four edits, checked against the family's rules; a valid OK
// replaces the assessment's quantiles by the distribution's quantiles at the case's levels.
#pragma once

#include <QDialog>

#include <string>

#include "engine/globals.h"
#include "workbench/window_state.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace halvorine {

// ---- the families' tables (codes 0..9; a code above 9 has no parameters) ----

// Number of parameters the dialog asks for.
int DistributionParamCount(int family);
// "Normal", "Log Normal", ...; "" above 9.
std::string DistributionFamilyNameOf(int family);
// The second line of the complaint about a bad parameter ("" above 9).
std::string DistributionRuleText(int family);
// A parameter as the dialog's edits show it: the shortest text that reads back as exactly this
// number, whatever the number format of the sheets.
std::string ParameterText(double x);
// Writes the family's default parameters into their slots of D and sets D's family; a code
// above 9 only sets the family.
void SetDistributionDefaults(int family, TDistribution& D);

// The dialog without its widgets. One instance per opening; it reads and writes only the
// assessment it was opened for.
class DistributionDialogCore {
public:
    // Fills the dialog for expert's assessment of ItemTable[itemIndex]. `saved` is the record as
    // it was before the opener changed the family; it goes back unless OK is accepted.
    void Open(TExpert* expert, int itemIndex, const TDistribution& saved);

    // Reads edit k (1..4) into DistributionValues[k] and checks it; false marks an edit red
    // (the one of the bad value) and puts the old value back.
    bool ValidateParamEdit(int k, const std::string& text);
    // OK: every edit in turn, then the quantiles themselves. True when the dialog may close
    // accepted; otherwise the complaint is shown.
    bool Accept(const std::string (&texts)[4]);
    // Writes the assessment: the distribution and its quantiles when accepted, else the saved
    // record back. Nothing without an assessment.
    void Close(bool accepted);

    // Number of the first value of DistributionValues[1..4] that breaks the family's rule; 0
    // when all are valid.
    int CheckDistributionParams() const;
    // What EvaluateDistribution and ConvertDistributionParams carry between D and
    // DistributionValues: the family's parameters, or the quantiles at the case's levels.
    static constexpr int ParametersMode = 1;
    static constexpr int QuantilesMode = 2;
    // ParametersMode: D's parameters in edit order into DistributionValues; QuantilesMode: D's
    // quantiles at the case's levels (false when one of them cannot be computed).
    bool EvaluateDistribution(const TDistribution& D, int mode);
    // ParametersMode: DistributionValues in edit order into D's slots; QuantilesMode: families
    // 0..4 fitted to the quantiles held in DistributionValues.
    void ConvertDistributionParams(TDistribution& D, int mode) const;
    // Names and texts of the prompt, the labels and the edits for D's family.
    void DistributionParamLabels(const TDistribution& D);

    bool HasAssessment() const { return DialogAssessment != nullptr; }
    int Family() const { return DialogDistribution.Family; }

    TExpert* Expert = nullptr;
    TItem* DialogItem = nullptr;
    TAssessment* DialogAssessment = nullptr;
    TDistribution DialogDistribution;
    TDistribution Saved;
    // The record as the dialog opened with it, and whether that was a fit to the quantiles.
    TDistribution Opened;
    bool Fitted = false;
    long double DistributionValues[MaxQuantileCount + 1] = {};

    // What the window shows.
    std::string Caption = "Distribution Parameters";
    std::string Prompt;
    std::string DistributionFamilyName;
    std::string DistributionParamNames[5];
    std::string DistributionParamTexts[5];
    bool EditRed[5] = {};
    bool NoticeShown = false;
    std::string OutOfBoundsText = "Invalid Parameter !  Make";
    std::string ErrStringText;
};

class TDistribDlg : public QDialog {
    Q_OBJECT
public:
    // Opens for ActiveExpert's assessment of ItemTable[CurrentItemIndex], with SavedDistribution
    // as the record to put back.
    explicit TDistribDlg(QWidget* owner = nullptr);
    ~TDistribDlg() override;

    DistributionDialogCore Core;

    QLabel* EnterParamLabel = nullptr;
    QLineEdit* Param1Edit = nullptr;
    QLabel* Param1Label = nullptr;
    QLineEdit* Param2Edit = nullptr;
    QLabel* param2Label = nullptr;
    QLineEdit* param3Edit = nullptr;
    QLabel* Param3Label = nullptr;
    QLineEdit* param4Edit = nullptr;
    QLabel* param4Label = nullptr;
    QLabel* OutOfBoundsLabel = nullptr;
    QLabel* ErrStringLabel = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    QLineEdit* Edit(int k) const;
    QLabel* Label(int k) const;

    void FormCreate();
    void OKButtonClick();
    void CancelButtonClick();
    void Param1EditExit() { ParamEditExit(1); }
    void Param2EditExit() { ParamEditExit(2); }
    void param3EditExit() { ParamEditExit(3); }
    void param4EditExit() { ParamEditExit(4); }

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ParamEditExit(int k);
    void FormClose();
    void ShowCore();
    void ShowEditColours();
    void FitWindow();
    bool closed_ = false;
    bool accepted_ = false;
};

// Shows the dialog for the popup's assessment and waits until it closes.
void OpenDistributionDialog(QWidget* owner);

}  // namespace halvorine
