// The platform services on Qt Widgets: message boxes, file dialogs, caption, cursor,
// clipboard, help window, program start and date.
#pragma once

#include "platform/prompts.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

class QFileDialog;
class QMessageBox;

namespace platform {

// Text of the programs is bytes, shown by one rule wherever it appears (sheets, report windows,
// dialogs, messages): as UTF-8 when IsUtf8, a leading byte-order mark included, else as Latin-1.
QString QStringFromBytes(const std::string& bytes);
std::string BytesFromQString(const QString& text);  // UTF-8

// "desc|pattern|desc|pattern" (patterns separated by ';') as Qt name filters "desc (p1 p2)".
// "*.*" becomes "*" so that it matches names without a point too; a description without
// a pattern is dropped; runs of blanks in a description become one, as QFileDialog shows them.
QStringList QtNameFilters(const std::string& filter);

// The pieces the dialogs are made of, apart so that they can be checked without showing one.
std::unique_ptr<QMessageBox> MakeMessageBox(MessageKind kind, const std::string& text, Buttons buttons,
                                            QWidget* parent);
// The answer for a button the box returned; a box closed without a button gives the answer
// of its escape button (Cancel, or No in a Yes/No box, or Ok in an Ok box).
Answer AnswerFromButton(int standardButton, Buttons buttons);
void ConfigureFileDialog(QFileDialog& dialog, const FileChoice& choice, bool save);

class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* mainWindow);
    ~QtPrompts() override;

    Answer Message(MessageKind kind, const std::string& text, Buttons buttons) override;
    bool OpenFile(FileChoice& choice) override;
    bool SaveFile(FileChoice& choice) override;

    std::string Caption() override;
    void SetCaption(const std::string& caption) override;

    void BeginBusy() override;
    void EndBusy() override;

    std::string ClipboardText() override;
    void SetClipboardText(const std::string& text) override;

    bool ShowHelp(const std::string& helpFile) override;
    bool StartProgram(const std::string& path) override;
    std::string ShortDate() override;

    // The help window once ShowHelp has opened it (null before, or after it was destroyed).
    QDialog* HelpWindow() const { return help_; }
    int BusyDepth() const { return busyDepth_; }

private:
    bool ChooseFile(FileChoice& choice, bool save);

    QPointer<QWidget> mainWindow_;
    std::string caption_;  // the caption while there is no main window
    int busyDepth_ = 0;
    QPointer<QDialog> help_;
};

}  // namespace platform
