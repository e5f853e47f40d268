#pragma once
// The screenshot's way to a file once the picture is taken: the Save As dialog, the name
// completed, the question before replacing a file, the encoder the extension selects, and a
// warning when nothing could be written.
#include <QImage>

class IDialogs;
class QWidget;

class CScreenshotSaver {
public:
    explicit CScreenshotSaver(IDialogs& dialogs) : m_dialogs(dialogs) {}

    // `dialogOwner` owns the Save As dialog, `messageOwner` the question and the warning. A null
    // picture (the screen could not be read) is reported at once, with `unreadable` as the
    // reason when there is one, and no dialog asks for a name that would get nothing.
    void Save(const QImage& picture, QWidget* dialogOwner, QWidget* messageOwner,
              const QString& unreadable = {});

private:
    IDialogs& m_dialogs;
};
