#include "platform/testing/scripted_prompts.h"

#include <gtest/gtest.h>

namespace platform {

namespace {

const char* ButtonsName(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok: return "Ok";
    case Buttons::OkCancel: return "OkCancel";
    case Buttons::YesNo: return "YesNo";
    case Buttons::YesNoCancel: return "YesNoCancel";
    }
    return "?";
}

const char* AnswerName(Answer answer) {
    switch (answer) {
    case Answer::Ok: return "Ok";
    case Answer::Cancel: return "Cancel";
    case Answer::Yes: return "Yes";
    case Answer::No: return "No";
    }
    return "?";
}

bool Offers(Buttons buttons, Answer answer) {
    switch (buttons) {
    case Buttons::Ok: return answer == Answer::Ok;
    case Buttons::OkCancel: return answer == Answer::Ok || answer == Answer::Cancel;
    case Buttons::YesNo: return answer == Answer::Yes || answer == Answer::No;
    case Buttons::YesNoCancel: return answer != Answer::Ok;
    }
    return false;
}

}  // namespace

void ScriptedPrompts::QueueAnswer(Answer answer) {
    answers_.push_back(answer);
}

void ScriptedPrompts::QueueOpenFile(std::string pathOrEmptyForCancel) {
    opens_.push_back(std::move(pathOrEmptyForCancel));
}

void ScriptedPrompts::QueueSaveFile(std::string pathOrEmptyForCancel) {
    saves_.push_back(std::move(pathOrEmptyForCancel));
}

void ScriptedPrompts::QueueRandom(double value) {
    randoms_.push_back(value);
}

std::vector<std::string> ScriptedPrompts::MessageTexts() const {
    std::vector<std::string> texts;
    for (const Prompt& p : recorded_)
        if (p.Kind == "message") texts.push_back(p.Text);
    return texts;
}

void ScriptedPrompts::Clear() {
    recorded_.clear();
    captions_.clear();
    busyCount_ = 0;
}

bool ScriptedPrompts::AllAnswersUsed() const {
    return answers_.empty() && opens_.empty() && saves_.empty();
}

Answer ScriptedPrompts::Message(MessageKind kind, const std::string& text, Buttons buttons) {
    Prompt p;
    p.Kind = "message";
    p.MessageKind = kind;
    p.Buttons = buttons;
    p.Text = text;
    if (answers_.empty()) {
        ADD_FAILURE() << "unscripted message box (" << ButtonsName(buttons) << "): \"" << text << "\"";
        p.Answer = Answer::Cancel;
    } else {
        p.Answer = answers_.front();
        p.Scripted = true;
        answers_.pop_front();
        // A box cannot answer with a button it does not have.
        if (!Offers(buttons, p.Answer))
            ADD_FAILURE() << "scripted answer " << AnswerName(p.Answer) << " is not a button of the "
                          << ButtonsName(buttons) << " box \"" << text << "\"";
    }
    recorded_.push_back(p);
    return p.Answer;
}

bool ScriptedPrompts::ChooseFile(const char* kind, std::deque<std::string>& queue, FileChoice& choice) {
    Prompt p;
    p.Kind = kind;
    p.Text = choice.Title;
    p.Choice = choice;
    if (queue.empty()) {
        ADD_FAILURE() << "unscripted " << kind << " file choice: \"" << choice.Title << "\" (filter \"" << choice.Filter
                      << "\")";
        recorded_.push_back(p);
        return false;
    }
    p.Scripted = true;
    const std::string path = queue.front();
    queue.pop_front();
    recorded_.push_back(p);
    if (path.empty()) return false;
    AcceptFileChoice(choice, path);
    return true;
}

bool ScriptedPrompts::OpenFile(FileChoice& choice) {
    return ChooseFile("open", opens_, choice);
}

bool ScriptedPrompts::SaveFile(FileChoice& choice) {
    return ChooseFile("save", saves_, choice);
}

void ScriptedPrompts::SetCaption(const std::string& caption) {
    caption_ = caption;
    captions_.push_back(caption);
}

void ScriptedPrompts::BeginBusy() {
    ++busyDepth_;
    ++busyCount_;
}

void ScriptedPrompts::EndBusy() {
    if (busyDepth_ == 0) {
        ADD_FAILURE() << "EndBusy without a BeginBusy";
        return;
    }
    --busyDepth_;
}

bool ScriptedPrompts::ShowHelp(const std::string& helpFile) {
    Prompt p;
    p.Kind = "help";
    p.Text = helpFile;
    p.Scripted = true;
    recorded_.push_back(p);
    return helpResult_ ? *helpResult_ : !FindHelpFile(helpFile).empty();
}

bool ScriptedPrompts::StartProgram(const std::string& path) {
    Prompt p;
    p.Kind = "start";
    p.Text = path;
    p.Scripted = true;
    recorded_.push_back(p);
    return startResult_ || startable_.count(path) != 0;
}

double ScriptedPrompts::Random() {
    if (!randoms_.empty()) {
        const double value = randoms_.front();
        randoms_.pop_front();
        return value;
    }
    return UnitFromBits(random_());
}

}  // namespace platform
