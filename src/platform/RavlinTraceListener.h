#pragma once
#include "IFXTraceListener.h"

#include <QString>
#include <cstdio>

// Writes traced texts to "Ravlin.log" in the user's runtime folder. The file is emptied when the
// listener is made and flushed after every text, so a crash loses nothing traced before it.
// When the folder or the file cannot be made the program runs on with nothing written.
// Registers itself with the trace list on construction and leaves it on destruction.
class RavlinTraceListener : public IFXTraceListener {
public:
    // `folder` empty: use CUserFolders::RuntimeFolder().
    explicit RavlinTraceListener(const QString& folder = {});
    ~RavlinTraceListener() override;
    RavlinTraceListener(const RavlinTraceListener&) = delete;
    RavlinTraceListener& operator=(const RavlinTraceListener&) = delete;

    void Write(const QString& text) override;
    bool IsOpen() const { return m_file != nullptr; }
    QString FilePath() const { return m_path; }

private:
    std::FILE* m_file = nullptr;
    QString m_path;
};
