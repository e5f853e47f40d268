#pragma once
// Dialogs for tests: questions are answered from a queue (Yes when it is empty) and recorded.
#include "CMenuResource.h"
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
    CommandId TrackPopupMenu(QWidget*, const CMenuPopup& popup, const QPoint& at) override {
        popups << popup.caption;
        popupPositions.push_back(at);
        return popupChoice;
    }

    std::deque<bool> answers;
    QStringList questions;
    QStringList notices;
    QStringList popups;
    std::vector<QPoint> popupPositions;
    CommandId popupChoice = 0;
};
