// What one of Halvorine's windows asks of another it does not include (the sheets of the run
// dialog, the frame of the range graphs and the export list, the run dialog of the engine's
// run). All of it lives in one object, wired once at start (WireServices); a test replaces
// single services (see workbench/service.h).
#pragma once

#include "workbench/service.h"

class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace halvorine {

class TRunDlgFrm;
struct TAssessment;

struct HalvorineServices {
    // The save question of a file kind (AssessmentsFileKind, ItemsFileKind) before its sheet closes; true
    // when the sheet may close.
    Service<bool(int kind)> QuerySaveCase{"QuerySaveCase"};
    // The engine's run as the run dialog's check calls it; the same service the Qt-free run
    // dialog core calls (RunCalculationService), named here beside the others.
    Service<void(int& code)>& RunCalculation = RunCalculationService();
    // The robustness runs (leaving out one item or one expert at a time); false when they
    // failed or there is nothing to run them with.
    Service<bool(TRunDlgFrm& dialog)> CalcRob{"CalcRob"};
    // Makes the run dialog as a child of the area (not yet shown).
    Service<QMdiSubWindow*(QMdiArea* area)> CreateRunDialog{"CreateRunDialog"};
    // Resets the open run dialog after the expert data changed.
    Service<void()> ResetRunDialog{"ResetRunDialog"};
    // Closes the run dialog with the case.
    Service<void()> CloseRunDialog{"CloseRunDialog"};
    // The open run dialog's robustness and scores button captions follow the experts
    // sheet's view.
    Service<void()> UpdateRunDialogCaptions{"UpdateRunDialogCaptions"};
    // Makes the range graph of a kind (0 items-wise, 1 experts-wise) as a child of the area.
    Service<QMdiSubWindow*(QMdiArea* area, int kind)> CreateRangeGraph{"CreateRangeGraph"};
    // Writes one range-graph window to its text file.
    Service<void(QMdiSubWindow* window)> SaveRangeGraph{"SaveRangeGraph"};
    // Opens the window that exports quantiles or distributions as columns.
    Service<void()> OpenExportList{"OpenExportList"};
    // The distributions dialog and its defaults, for the items sheet's popup.
    Service<void(TAssessment* assessment, int family)> SetDistributionDefaults{"SetDistributionDefaults"};
    Service<void(QWidget* owner)> OpenDistributionDialog{"OpenDistributionDialog"};
};

HalvorineServices& Services();

// Every service to the window that provides it.
void WireServices();

}  // namespace halvorine
