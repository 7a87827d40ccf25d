// The platform behaviours that need no window system: current directory, program folder,
// settings files, help-file lookup, the clock-seeded random source.
#include "platform/program_folder_testing.h"
#include "platform/prompts.h"
#include "platform/random_source.h"

#include "common/core/line_io.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {

namespace {

std::string& ProgramFolderOverride() {
    static std::string folder;
    return folder;
}

bool& ProgramFolderReadOnly() {
    static bool readOnly = false;
    return readOnly;
}

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

std::string WithoutTrailingSlashes(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

// The user's configuration folder for both programs, "" when there is no home to put it in.
std::string FallbackFolder() {
    std::string base;
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        std::string home;
        if (const char* h = std::getenv("HOME"); h && h[0] != '\0')
            home = h;
        else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
            home = pw->pw_dir;
        if (home.empty()) return "";
        base = WithoutTrailingSlashes(home) + "/.config";
    }
    return WithoutTrailingSlashes(base) + "/halvorine/";
}

// Writing goes through a file beside the target and a rename, which needs only the folder.
bool FolderWritable(const std::string& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec) && access(folder.c_str(), W_OK) == 0;
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// The first (by name) regular file in folder whose name matches name in any letter case.
std::string FindIgnoringCase(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    std::string best;
    fs::directory_iterator it(folder, ec);
    if (ec) return "";
    for (const fs::directory_entry& entry : it) {
        const std::string candidate = entry.path().filename().string();
        if (!SameNameIgnoringCase(candidate, name) || !entry.is_regular_file(ec)) continue;
        if (best.empty() || candidate < best) best = candidate;
    }
    return best.empty() ? "" : (folder / best).string();
}

fs::path Absolute(const fs::path& p) {
    std::error_code ec;
    fs::path abs = fs::absolute(p, ec);
    return ec ? p : abs.lexically_normal();
}

}  // namespace

void ChangeToFolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    if (folder.empty()) return;  // a bare name is already in the current directory
    std::error_code ec;
    fs::current_path(folder, ec);  // a folder that has gone away leaves the directory as it was
}

void ClockRandom::Randomize() {
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<std::uint64_t>(wall), static_cast<std::uint64_t>(tick),
                       static_cast<std::uint64_t>(wall) >> 32, static_cast<std::uint64_t>(tick) >> 32};
    generator_.seed(seed);
}

ClockRandom& ProcessRandom() {
    static ClockRandom source;
    return source;
}

void SetProgramFolderForTesting(const std::string& folder) {
    ProgramFolderOverride() = folder;
}

void SetProgramFolderReadOnlyForTesting(bool readOnly) {
    ProgramFolderReadOnly() = readOnly;
}

std::string ProgramFolder() {
    if (!ProgramFolderOverride().empty()) return WithTrailingSlash(ProgramFolderOverride());
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        const fs::path cwd = fs::current_path(ec);
        return WithTrailingSlash(ec ? std::string(".") : cwd.string());
    }
    return WithTrailingSlash(exe.parent_path().string());
}

std::string SettingsWritePath(const std::string& fileName) {
    const std::string beside = ProgramFolder();
    if (!ProgramFolderReadOnly() && FolderWritable(beside)) return beside + fileName;
    const std::string fallback = FallbackFolder();
    return fallback.empty() ? beside + fileName : fallback + fileName;
}

std::string SettingsReadPath(const std::string& fileName) {
    // The file where the last write went wins over a stale one left in the other place.
    const std::string written = SettingsWritePath(fileName);
    if (FileExists(written)) return written;
    const std::string beside = ProgramFolder() + fileName;
    if (FileExists(beside)) return beside;
    if (const std::string fallback = FallbackFolder(); !fallback.empty() && FileExists(fallback + fileName))
        return fallback + fileName;
    return beside;
}

std::string ReadSettingsLine(const std::string& fileName) {
    std::ifstream in(SettingsReadPath(fileName), std::ios::binary);
    if (!in) return "";
    std::string line;
    char c;
    while (in.get(c) && c != '\r' && c != '\n') line += c;
    return line;
}

void WriteSettingsLine(const std::string& fileName, const std::string& line) {
    const std::string path = SettingsWritePath(fileName);
    std::error_code ec;
    const fs::path folder = fs::path(path).parent_path();
    if (!folder.empty()) fs::create_directories(folder, ec);

    // The writer of the case files: a short unique temporary beside the file, synced, renamed.
    try {
        TextFileWriter out(path);
        out.WriteLine(line);
        out.Commit();
    } catch (const IoError&) {
        // The last case is a convenience; losing it must not stop the program.
    }
}

std::string AppendDefaultExt(const std::string& path, const std::string& defaultExt) {
    if (defaultExt.empty() || fs::path(path).filename().has_extension()) return path;
    return path + "." + defaultExt;
}

void AcceptFileChoice(FileChoice& choice, const std::string& chosenPath) {
    choice.FileName = Absolute(AppendDefaultExt(chosenPath, choice.DefaultExt)).string();
    ChangeToFolderOf(choice.FileName);
}

std::string FindHelpFile(const std::string& helpFile) {
    if (helpFile.empty()) return "";
    const fs::path named(helpFile);
    if (FileExists(helpFile)) return Absolute(named).string();

    const std::string name = named.filename().string();
    const fs::path first = named.has_parent_path() ? named.parent_path() : fs::path(".");
    for (const fs::path& folder : {first, fs::path(ProgramFolder())}) {
        if (std::string found = FindIgnoringCase(folder, name); !found.empty()) return Absolute(found).string();
    }
    return "";
}

}  // namespace platform
