// The services of the desktop platform that the programs use, as a plain C++ interface.
// The engines reach it through one pointer in their globals (set by the main window, or by a test).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class MessageKind { Warning, Error, Information, Confirmation };

// Buttons of a message box; a box offers one of the sets below.
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };

enum class Answer { Ok, Cancel, Yes, No };

// An open or save file choice. Filter is "desc|pattern|desc|pattern"; FilterIndex is 1-based.
struct FileChoice {
    std::string Title;
    std::string Filter;
    int FilterIndex = 1;
    std::string FileName;  // initial name, and the chosen full path on return
    std::string InitialDir;
    std::string DefaultExt;        // without the point; appended when the chosen name has none
    bool OverwritePrompt = false;  // save choices: ask before choosing an existing file
};

// Keeps the hourglass cursor up while it lives.
class BusyCursor;

class Prompts {
public:
    virtual ~Prompts() = default;

    virtual Answer Message(MessageKind kind, const std::string& text, Buttons buttons) = 0;

    // True when the user chose a file; the choice's folder becomes the current directory.
    virtual bool OpenFile(FileChoice& choice) = 0;
    virtual bool SaveFile(FileChoice& choice) = 0;

    // The main window caption, which the engine changes while it saves.
    virtual std::string Caption() = 0;
    virtual void SetCaption(const std::string& caption) = 0;  // repaints at once

    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;

    virtual std::string ClipboardText() = 0;
    virtual void SetClipboardText(const std::string& text) = 0;

    // Shows the help file at its contents; false when it cannot be shown.
    virtual bool ShowHelp(const std::string& helpFile) = 0;

    // Starts a program file with no arguments in the current directory; false when it failed.
    virtual bool StartProgram(const std::string& path) = 0;

    // Today's date in the short form of the user's settings.
    virtual std::string ShortDate() = 0;
};

class BusyCursor {
public:
    explicit BusyCursor(Prompts& p) : p_(p) { p_.BeginBusy(); }
    ~BusyCursor() { p_.EndBusy(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    Prompts& p_;
};

// Makes the folder of a chosen file the current directory, as a successful file choice does.
void ChangeToFolderOf(const std::string& path);

// The folder of the running program (with a trailing '/').
std::string ProgramFolder();

// The one-line settings file of a program: its path beside the program, or in the user's
// configuration folder ($XDG_CONFIG_HOME, else ~/.config, + "/halvorine/", shared by both
// programs) where the program folder is not writable. Reading prefers the file where the
// next write would go and falls back to the other place; a missing file reads as "".
// The line is written with CR LF; input/output errors are ignored.
std::string SettingsReadPath(const std::string& fileName);
std::string SettingsWritePath(const std::string& fileName);
std::string ReadSettingsLine(const std::string& fileName);
void WriteSettingsLine(const std::string& fileName, const std::string& line);

// Used by both implementations of the file choices so that they agree on what a choice does.
// The path with "." + defaultExt appended when its file name has no extension.
std::string AppendDefaultExt(const std::string& path, const std::string& defaultExt);
// Completes a chosen path: default extension, made absolute, stored in choice.FileName, and
// its folder made the current directory.
void AcceptFileChoice(FileChoice& choice, const std::string& chosenPath);

// The help file as named, else a file of that name in any letter case, looked for beside the
// given path (the current directory for a bare name) and then in the program's folder;
// "" when there is none. The programs name it in upper and in mixed case.
std::string FindHelpFile(const std::string& helpFile);

}  // namespace platform
