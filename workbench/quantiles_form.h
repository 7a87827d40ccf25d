// The small modal dialog that asks a new case for its quantile levels.
#pragma once

#include <QDialog>
#include <string>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace halvorine {

// Chosen number of quantiles; read by the questionnaire after the dialog closes.
extern int QuantileCountDialog;

// The dialog's state without the widgets.
struct QuantileChoice {
    int Count = 3;
    int Percents[26] = {0, 5, 50, 95};

    // Sets the count from the box's text; false (nothing changes) unless it is a whole number 3..25.
    bool SetCountText(const std::string& text);
    // Sets percentage `index` (1-based) from an edited text; other text leaves it unchanged.
    bool SetPercentText(int index, const std::string& text);
    // Index of the first entry that is not positive, increasing and below 100; 0 when all are valid.
    int FirstInvalid() const;
    // The assessments-file header line for this choice (ends in a blank).
    std::string HeaderLine() const;
};

class TQuantilesForm : public QDialog {
    Q_OBJECT
public:
    explicit TQuantilesForm(QWidget* parent = nullptr);

    QuantileChoice Choice;

    bool ValidQuantiles();

    // Colour of a value cell: 0 normal, 1 red (not above its left neighbour), 2 purple (such a 0).
    int CellColourKind(int column) const;

public slots:
    void NQuantBoxChange(const QString& text);
    void NQuantBoxExit();
    void OkButtonClick();
    void CancelButtonClick();

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void QuantGridSetEditText(QTableWidgetItem* item);
    void RefreshGrid();

    QLabel* NumQuantiles;
    QComboBox* NQuantBox;
    QTableWidget* QuantGrid;
    QPushButton* OkButton;
    QPushButton* CancelButton;
    bool refreshing_ = false;
};

}  // namespace halvorine
