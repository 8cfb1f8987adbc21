#pragma once

#include "pages/IUserDialogs.h"

#include <QDialog>

#include <deque>
#include <functional>
#include <string>
#include <vector>

// Answers the user dialogs from queues that a test fills, and records what
// was asked. An empty queue answers as a user who cancels: no file, No, and
// Rejected for a modal window, which is never shown.
class CScriptedUserDialogs : public IUserDialogs {
public:
    std::optional<FILEDIALOGRESULT> OpenFile(QWidget*, const FILEDIALOGREQUEST& request) override {
        openRequests.push_back(request);
        return Next(openAnswers);
    }
    std::optional<FILEDIALOGRESULT> SaveFile(QWidget*, const FILEDIALOGREQUEST& request) override {
        saveRequests.push_back(request);
        return Next(saveAnswers);
    }
    bool AskYesNo(QWidget*, const std::string& title, const std::string& text) override {
        questions.push_back({title, text});
        const bool yes = !yesNoAnswers.empty() && yesNoAnswers.front();
        if (!yesNoAnswers.empty())
            yesNoAnswers.pop_front();
        return yes;
    }
    void ShowMessage(QWidget*, const std::string& text) override { messages.push_back(text); }
    // The next answer may act on the dialog (fill its fields, press OK) and
    // gives its result code.
    int RunModal(QDialog& dialog) override {
        modalTitles.push_back(dialog.windowTitle().toStdString());
        if (modalAnswers.empty())
            return QDialog::Rejected;
        const auto answer = std::move(modalAnswers.front());
        modalAnswers.pop_front();
        return answer(dialog);
    }

    std::deque<std::optional<FILEDIALOGRESULT>> openAnswers;
    std::deque<std::optional<FILEDIALOGRESULT>> saveAnswers;
    std::deque<bool> yesNoAnswers;
    std::deque<std::function<int(QDialog&)>> modalAnswers;

    std::vector<FILEDIALOGREQUEST> openRequests;
    std::vector<FILEDIALOGREQUEST> saveRequests;
    std::vector<std::pair<std::string, std::string>> questions;
    std::vector<std::string> messages;
    std::vector<std::string> modalTitles;

private:
    static std::optional<FILEDIALOGRESULT>
    Next(std::deque<std::optional<FILEDIALOGRESULT>>& answers) {
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
