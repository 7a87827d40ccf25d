// What one of Halvorine's windows asks of another it does not include (the sheets of the run
// dialog, the frame of the range graphs and the export list, the run dialog of the engine's
// run). All of it lives in one object, wired once at start (WireServices); a test replaces
// single services. A service that nobody wired is a program fault: calling it stops the
// program with the service's name instead of silently doing nothing.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace halvorine {

class TRunDlgFrm;
struct TAssessment;

[[noreturn]] void ServiceNotWired(const char* name);

template <typename Signature>
class Service;

template <typename R, typename... Args>
class Service<R(Args...)> {
public:
    explicit Service(const char* name) : name_(name) {}
    Service(const Service&) = default;
    Service& operator=(const Service& other) {
        fn_ = other.fn_;
        return *this;
    }
    template <typename F>
    requires(!std::is_same_v<std::decay_t<F>, Service>) Service& operator=(F&& fn) {
        fn_ = std::forward<F>(fn);
        return *this;
    }

    R operator()(Args... args) const {
        if (!fn_) ServiceNotWired(name_);
        return fn_(std::forward<Args>(args)...);
    }
    bool Wired() const { return static_cast<bool>(fn_); }

private:
    const char* name_;
    std::function<R(Args...)> fn_;
};

struct HalvorineServices {
    // The save question of a file kind (1 experts, 2 items) before its sheet closes; true
    // when the sheet may close.
    Service<bool(int kind)> QuerySaveCase{"QuerySaveCase"};
    // The engine's run as the run dialog's check calls it.
    Service<void(int& code)> RunCalculation{"RunCalculation"};
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
