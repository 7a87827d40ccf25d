#include "workbench/services.h"

#include "engine/case_files.h"
#include "engine/scoring_run.h"
#include "workbench/case_state.h"
#include "workbench/distribution_dialog.h"
#include "workbench/export_list.h"
#include "workbench/range_graph.h"
#include "workbench/robustness_runs.h"
#include "workbench/run_dialog.h"

namespace halvorine {

HalvorineServices& Services() {
    static HalvorineServices services;
    return services;
}

void WireServices() {
    HalvorineServices& s = Services();
    s.QuerySaveCase = [](int kind) {
        bool canClose = true;
        QuerySaveCase(kind, canClose);
        return canClose;
    };
    s.RunCalculation = [](int& code) { RunCalculation(code); };
    s.CalcRob = [](TRunDlgFrm& dialog) { return CalcRob(dialog); };
    s.CreateRunDialog = [](QMdiArea* area) -> QMdiSubWindow* { return new TRunDlgFrm(area); };
    s.ResetRunDialog = [] {
        if (TRunDlgFrm* d = OpenRunDialog()) d->ResetRunDialog();
    };
    s.CloseRunDialog = [] {
        if (RunDialog) RunDialog->close();
    };
    s.UpdateRunDialogCaptions = [] {
        if (TRunDlgFrm* d = OpenRunDialog()) {
            if (RobustnessRun) d->UpdateRobCaption();
            d->UpdateDEScoresCaption();
        }
    };
    s.CreateRangeGraph = OpenRangeGraphWindow;
    s.SaveRangeGraph = [](QMdiSubWindow* window) {
        if (auto* graph = qobject_cast<TRangeGraphWindow*>(window)) graph->SaveRangeGraph();
    };
    s.OpenExportList = [] { OpenExportList(); };
    s.SetDistributionDefaults = [](TAssessment* a, int family) {
        if (a) SetDistributionDefaults(family, a->Distribution);
    };
    s.OpenDistributionDialog = [](QWidget* owner) { OpenDistributionDialog(owner); };
}

}  // namespace halvorine
