#pragma once
// Dialogs for tests: questions are answered from a queue (Yes when it is empty) and recorded.
#include "IDialogs.h"

#include <QStringList>
#include <deque>

class CFakeDialogs : public IDialogs {
public:
    bool AskYesNo(QWidget*, const QString& text, const QString& caption) override {
        questions << caption + ": " + text;
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowNotice(const QString& text) override { notices << text; }

    std::deque<bool> answers;
    QStringList questions;
    QStringList notices;
};
